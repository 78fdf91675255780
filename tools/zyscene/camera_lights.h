// The camera and the lights of the description, as frame records.
#pragma once

#include <vector>

#include "scene/records.h"
#include "zyscene/json_fields.h"

namespace zy::zyscene {

/// Reads the "camera" object: eye, look_at, up and the horizontal angle fov.
RT_CAM read_camera(const Node& camera);

/// Reads the "lights" array.
std::vector<RT_LIGHT> read_lights(const Node& lights);

}  // namespace zy::zyscene
