// Light spheres, refraction and the result formula, on records set up by hand.
#include <gtest/gtest.h>

#include <cmath>

#include "render/lights.h"
#include "render/shading.h"
#include "support/test_support.h"

namespace zy {
namespace {

RT_RAY ray_from(V3D org, V3D dir) {
    RT_RAY r{};
    r.org = org;
    r.dir = dir;
    return r;
}

class LightSphere : public ::testing::Test {
protected:
    LightSphere() {
        lights_[0] = {0, {0, 0, 10}, {0, 0, 0}, {1, 0.5, 0.25}, 1.0, 1, 0, 0, 0};
        lights_[1] = {0, {0, 0, 10}, {0, 0, 0}, {0, 1, 0}, 1.0, 1, 0, 0, 0};
        refs_[0] = &lights_[0];
        refs_[1] = &lights_[1];
        rt_var.light_refs = refs_;
        rt_var.n_light_refs_stored = 2;
    }
    test::InProcess env_;
    LIGHT lights_[2];
    LIGHT* refs_[2];
};

TEST_F(LightSphere, NearSideInFrontOfTheLimitFirstLightWinsTies) {
    RT_COL c{0, 0, 0};
    double dist;
    rt_lightsource(ray_from({0, 0, 0}, {0, 0, 1}), kFltMax, c, dist);
    EXPECT_EQ(dist, 9.0);
    EXPECT_EQ(c.r, 1.0);
    EXPECT_EQ(c.g, 0.5);
}

TEST_F(LightSphere, HiddenBehindANearerHitOrFromInside) {
    RT_COL c{0.3, 0.3, 0.3};
    double dist;
    rt_lightsource(ray_from({0, 0, 0}, {0, 0, 1}), 8.0, c, dist);
    EXPECT_EQ(dist, kFltMax);
    EXPECT_EQ(c.r, 0.3);
    rt_lightsource(ray_from({0, 0, 10}, {0, 0, 1}), kFltMax, c, dist);
    EXPECT_EQ(dist, kFltMax);
}

TEST_F(LightSphere, OnlyStoredReferencesCount) {
    rt_var.n_light_refs_stored = 0;
    RT_COL c{0, 0, 0};
    double dist;
    rt_lightsource(ray_from({0, 0, 0}, {0, 0, 1}), kFltMax, c, dist);
    EXPECT_EQ(dist, kFltMax);
}

class Refraction : public ::testing::Test {
protected:
    Refraction() {
        rt_var.tris = &tri_;
        rt_var.n_tri = 1;
        ts_.prepare_for_frame();
    }
    double angle_deg(const V3D& a, const V3D& b) { return std::acos(v3d_scal(a, b)) * 180 / M_PI; }
    test::InProcess env_;
    TRIANGLE tri_{};
    TraceState ts_;
    const V3D N_{0, 0, -1};  // facing the viewer
};

TEST_F(Refraction, SnellsLawEntering) {
    const V3D v{0.5, 0, std::sqrt(3.0) / 2};  // 30 degrees off the normal
    V3D out{};
    ASSERT_EQ(rt_refract(ts_, tri_, N_, v, 1.5 * 1.0003, out), 1);
    EXPECT_NEAR(angle_deg(out, {0, 0, 1}), 19.4712, 1e-3);
    EXPECT_NEAR(v3d_len(out), 1.0, 1e-12);
    EXPECT_GT(out.x, 0);
    ASSERT_EQ(rt_refract(ts_, tri_, N_, {0, 0, 1}, 2.4173, out), 1);  // head-on: undeflected
    EXPECT_NEAR(out.z, 1.0, 1e-12);
}

TEST_F(Refraction, GrazingExitIsTotallyReflected) {
    ts_.back[0] = 1;  // leaving the body
    V3D v{0.99, 0, 0.141};
    v3d_nrm(v);
    V3D out{7, 7, 7};
    EXPECT_EQ(rt_refract(ts_, tri_, N_, v, 1.4588, out), 0);
    EXPECT_EQ(out.x, 7);
    ts_.back[0] = 0;  // the same angle entering refracts
    EXPECT_EQ(rt_refract(ts_, tri_, N_, v, 1.4588, out), 1);
}

}  // namespace
}  // namespace zy
