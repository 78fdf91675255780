#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "geometry/camera.h"
#include "scene/rt_var.h"

namespace zy {
namespace {

class Viewing : public ::testing::Test {
protected:
    void SetUp() override { std::memset(&rt_var, 0, sizeof rt_var); }
    void TearDown() override { std::memset(&rt_var, 0, sizeof rt_var); }

    // The loaded camera: pov-relative, sky already negated.
    static void camera(V3D eye, V3D sky, double fov_x, int16_t res_x, int16_t res_y) {
        rt_var.eye = eye;
        rt_var.look_at = {0, 0, 0};
        rt_var.sky = sky;
        rt_var.fov_x = fov_x;
        rt_var.res_x = res_x;
        rt_var.res_y = res_y;
    }

    static V3D primary_direction(double px, double py) {
        const RT_VAR& v = rt_var;
        return {(v.pixel_origin.x + px * v.pixel_dx.x) - py * v.pixel_dy.x,
                (v.pixel_origin.y + px * v.pixel_dx.y) - py * v.pixel_dy.y,
                (v.pixel_origin.z + px * v.pixel_dx.z) - py * v.pixel_dy.z};
    }
};

TEST_F(Viewing, SquarePictureStepsAcrossTheImagePlane) {
    camera({0, 0, -10}, {0, -1, 0}, 45.0, 100, 100);
    rt_viewing();
    EXPECT_NEAR(rt_var.fov_y, 45.0, 1e-12);
    // 2 * 10 * tan 45 / 100; columns go along +x, rows downward (y is up).
    EXPECT_NEAR(rt_var.pixel_dx.x, 0.2, 1e-14);
    EXPECT_NEAR(rt_var.pixel_dy.y, 0.2, 1e-14);
    EXPECT_EQ(rt_var.pixel_dx.y, 0.0);
    EXPECT_EQ(rt_var.pixel_dy.x, 0.0);

    const V3D centre = primary_direction(50, 50);
    EXPECT_NEAR(centre.x, 0.0, 1e-12);
    EXPECT_NEAR(centre.y, 0.0, 1e-12);
    EXPECT_NEAR(centre.z, 10.0, 1e-12);
    const V3D top_left = primary_direction(0, 0);
    EXPECT_NEAR(top_left.x, -10.0, 1e-12);
    EXPECT_NEAR(top_left.y, 10.0, 1e-12);
    EXPECT_NEAR(top_left.z, 10.0, 1e-12);
}

TEST_F(Viewing, WidePictureKeepsPixelsSquare) {
    camera({0, 0, -10}, {0, -1, 0}, 30.0, 200, 100);
    rt_viewing();
    EXPECT_NEAR(rt_var.fov_y, std::atan(0.5 * std::tan(30.0 * M_PI / 180)) * 180 / M_PI, 1e-12);
    EXPECT_NEAR(v3d_len(rt_var.pixel_dx), v3d_len(rt_var.pixel_dy), 1e-15);
    // The picture's centre still looks at the target.
    const V3D centre = primary_direction(100, 50);
    EXPECT_NEAR(centre.x, 0.0, 1e-12);
    EXPECT_NEAR(centre.y, 0.0, 1e-12);
}

TEST_F(Viewing, CameraOnItsTargetGivesZeroStepsAndNoDivision) {
    const double offset = std::sqrt(1e-15);
    camera({0, offset, 0}, {0, -1, 0}, 45.0, 10, 10);
    rt_viewing();
    for (const V3D& v : {rt_var.pixel_dx, rt_var.pixel_dy}) {
        EXPECT_EQ(v.x, 0.0);
        EXPECT_EQ(v.y, 0.0);
        EXPECT_EQ(v.z, 0.0);
    }
    EXPECT_EQ(rt_var.pixel_origin.y, -offset);
}

TEST_F(Viewing, SkyAlongTheViewLeavesZeroSteps) {
    camera({0, -10, 0}, {0, -1, 0}, 45.0, 10, 10);
    rt_viewing();
    EXPECT_EQ(v3d_len(rt_var.pixel_dx), 0.0);
    EXPECT_EQ(v3d_len(rt_var.pixel_dy), 0.0);
    EXPECT_TRUE(std::isfinite(rt_var.pixel_origin.y));
}

}  // namespace
}  // namespace zy
