#include "geometry/camera.h"

#include <cmath>

#include "scene/rt_var.h"

namespace zy {

void rt_viewing() {
    RT_VAR& v = rt_var;
    const double aspect = static_cast<double>(v.res_y) / static_cast<double>(v.res_x);
    v.fov_y = rad_to_deg(std::atan(std::tan(deg_to_rad(v.fov_x)) * aspect));

    V3D d;
    v3d_sub(v.look_at, v.eye, d);
    // A camera sitting on its target keeps distance 0 and gets zero pixel steps.
    double distance = 0.0;
    const double sqr = v3d_len_sqr(d);
    if (sqr >= kDegenerateSqr) {
        distance = std::sqrt(sqr);
        d.x /= distance;
        d.y /= distance;
        d.z /= distance;
    }

    v3d_mul(d, v.sky, v.pixel_dx);
    // Built from the step across before that one is normalised.
    v3d_mul(d, v.pixel_dx, v.pixel_dy);
    v3d_nrm_unless_degenerate(v.pixel_dx);
    v3d_nrm_unless_degenerate(v.pixel_dy);

    const double w = 2.0 * distance;
    v3d_fmul(v.pixel_dx, std::tan(v.fov_x * kDegree) * w / v.res_x, v.pixel_dx);
    v3d_fmul(v.pixel_dy, std::tan(v.fov_y * kDegree) * w / v.res_y, v.pixel_dy);

    // The unnormalised eye-to-target vector, so the plane passes through the target.
    const double half_x = v.res_x / 2.0;
    const double half_y = v.res_y / 2.0;
    v.pixel_origin = {(half_y * v.pixel_dy.x + (v.look_at.x - v.eye.x)) - half_x * v.pixel_dx.x,
                      (half_y * v.pixel_dy.y + (v.look_at.y - v.eye.y)) - half_x * v.pixel_dx.y,
                      (half_y * v.pixel_dy.z + (v.look_at.z - v.eye.z)) - half_x * v.pixel_dx.z};
}

void rt_pov_relative(V3D& p) {
    p.x -= rt_var.pov.x;
    p.y -= rt_var.pov.y;
    p.z -= rt_var.pov.z;
}

}  // namespace zy
