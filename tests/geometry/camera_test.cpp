// The camera's degenerate set-ups; the steps of a proper view are fixed by
// every conformance picture.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "geometry/camera.h"
#include "scene/rt_var.h"

namespace zy {
namespace {

TEST(Viewing, CameraOnItsTargetOrSkyAlongTheViewGivesZeroStepsAndNoDivision) {
    const double offset = std::sqrt(1e-15);
    for (const V3D& eye : {V3D{0, -10, 0}, V3D{0, offset, 0}}) {
        std::memset(&rt_var, 0, sizeof rt_var);
        rt_var.eye = eye;
        rt_var.sky = {0, -1, 0};  // loaded negated
        rt_var.fov_x = 45.0;
        rt_var.res_x = rt_var.res_y = 10;
        rt_viewing();
        const V3D& dx = rt_var.pixel_dx;
        const V3D& dy = rt_var.pixel_dy;
        EXPECT_TRUE(dx.x == 0 && dx.y == 0 && dx.z == 0 && dy.x == 0 && dy.y == 0 && dy.z == 0) << eye.y;
        EXPECT_TRUE(std::isfinite(rt_var.pixel_origin.y));
    }
    EXPECT_EQ(rt_var.pixel_origin.y, -offset);
}

}  // namespace
}  // namespace zy
