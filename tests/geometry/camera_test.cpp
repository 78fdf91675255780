#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "geometry/camera.h"
#include "scene/rt_var.h"

namespace zy {
namespace {

// Sets the loaded camera (pov-relative, sky already negated) and runs the set-up.
void view(V3D eye, double fov_x, int16_t res_x, int16_t res_y) {
    std::memset(&rt_var, 0, sizeof rt_var);
    rt_var.eye = eye;
    rt_var.sky = {0, -1, 0};
    rt_var.fov_x = fov_x;
    rt_var.res_x = res_x;
    rt_var.res_y = res_y;
    rt_viewing();
}

void expect_near(const V3D& v, const V3D& want, double tolerance) {
    EXPECT_NEAR(v.x, want.x, tolerance);
    EXPECT_NEAR(v.y, want.y, tolerance);
    EXPECT_NEAR(v.z, want.z, tolerance);
}

V3D primary_direction(double px, double py) {
    const RT_VAR& v = rt_var;
    return {(v.pixel_origin.x + px * v.pixel_dx.x) - py * v.pixel_dy.x,
            (v.pixel_origin.y + px * v.pixel_dx.y) - py * v.pixel_dy.y,
            (v.pixel_origin.z + px * v.pixel_dx.z) - py * v.pixel_dy.z};
}

TEST(Viewing, SquarePictureStepsAcrossTheImagePlane) {
    view({0, 0, -10}, 45.0, 100, 100);
    EXPECT_NEAR(rt_var.fov_y, 45.0, 1e-12);
    // 2 * 10 * tan 45 / 100; columns go along +x, rows downward (y is up).
    expect_near(rt_var.pixel_dx, {0.2, 0, 0}, 1e-14);
    expect_near(rt_var.pixel_dy, {0, 0.2, 0}, 1e-14);
    expect_near(primary_direction(50, 50), {0, 0, 10}, 1e-12);
    expect_near(primary_direction(0, 0), {-10, 10, 10}, 1e-12);
}

TEST(Viewing, CameraOnItsTargetOrSkyAlongTheViewGivesZeroStepsAndNoDivision) {
    const double offset = std::sqrt(1e-15);
    for (const V3D& eye : {V3D{0, -10, 0}, V3D{0, offset, 0}}) {
        view(eye, 45.0, 10, 10);
        expect_near(rt_var.pixel_dx, {0, 0, 0}, 0);
        expect_near(rt_var.pixel_dy, {0, 0, 0}, 0);
        EXPECT_TRUE(std::isfinite(rt_var.pixel_origin.y));
    }
    EXPECT_EQ(rt_var.pixel_origin.y, -offset);
}

}  // namespace
}  // namespace zy
