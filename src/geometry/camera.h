// Camera of the current frame: image-plane vectors and the pov shift.
#pragma once

#include "geometry/xmath.h"

namespace zy {

/// Derives fov_y, pixel_dx, pixel_dy and pixel_origin from the frame's camera.
void rt_viewing();
/// p -= rt_var.pov.
void rt_pov_relative(V3D& p);

}  // namespace zy
