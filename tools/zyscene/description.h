// The whole description read and checked, before any mesh or image file is opened.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "scene/records.h"
#include "zyscene/camera_lights.h"
#include "zyscene/camera_request.h"
#include "zyscene/json_fields.h"
#include "zyscene/objects.h"
#include "zyscene/surfaces.h"

namespace zy::zyscene {

struct Description {
    std::string name;  ///< scene name: the files are <name>.inf and <name>.sys
    RT_INF settings;   ///< counts not yet set
    SurfaceTable surfaces;
    CameraTrack camera;  ///< when there is no camera_request
    std::optional<CameraRequest> camera_request;
    std::vector<LightTrack> lights;
    std::vector<LightFileRequest> light_files;
    std::vector<ObjectDesc> objects;
    /// What the compiler changed to make the description fit, one line each.
    std::vector<std::string> notes;

    int frames() const { return settings.frame_count; }
};

/// Reads the parsed description. Throws InputError for anything it does not
/// understand or the files cannot hold.
Description read_description(const Json& root);

}  // namespace zy::zyscene
