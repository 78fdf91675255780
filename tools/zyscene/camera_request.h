// Cameras placed by the compiler rather than by hand: fitted around the
// scene, or taken from a model file.
#pragma once

#include <optional>
#include <string>

#include "geometry/xmath.h"
#include "zyscene/json_fields.h"

namespace zy::zyscene {

/// "fit": the side the scene is seen from and the room left at the edges.
struct FitRequest {
    V3D toward_eye{0.6, 0.5, -1};  ///< from the scene toward the eye, any length
    V3D up{0, 1, 0};
    double margin = 0.1;  ///< share of the picture's width and height kept free at each edge
};

/// A camera that is known only once the meshes are read.
struct CameraRequest {
    std::string pointer;  ///< of the camera member, for messages
    std::optional<FitRequest> fit;
    std::string file;  ///< from_file: relative to the description's folder
    std::string name;  ///< from_file: the camera's name, "" for the first
    double fov = 45;   ///< fit: horizontal angle in degrees
    /// A model shown alone: a file without a usable camera gets the fitted one.
    bool fit_when_file_has_none = false;
    /// A model shown alone at no size asked for: the picture takes the file camera's aspect.
    bool picture_takes_file_aspect = false;
};

/// The request of a camera member with "fit" or "from_file", or nothing for
/// a camera given by eye and look_at.
std::optional<CameraRequest> read_camera_request(const Node& camera);

}  // namespace zy::zyscene
