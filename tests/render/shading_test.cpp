// Light spheres and refraction, on records set up by hand.
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

// Two spheres of radius 1 around (0, 0, 10): the first wins ties.
TEST(LightSphere, NearSideInFrontOfTheLimitFromOutsideAndStoredOnly) {
    test::InProcess env;
    LIGHT lights[2] = {{0, {0, 0, 10}, {0, 0, 0}, {1, 0.5, 0.25}, 1.0, 1, 0, 0, 0},
                       {0, {0, 0, 10}, {0, 0, 0}, {0, 1, 0}, 1.0, 1, 0, 0, 0}};
    LIGHT* refs[2] = {&lights[0], &lights[1]};
    rt_var.light_refs = refs;
    rt_var.n_light_refs_stored = 2;
    const struct {
        V3D org;
        double limit, dist;
        RT_COL colour;
    } cases[] = {
        {{0, 0, 0}, kFltMax, 9.0, {1, 0.5, 0.25}},
        {{0, 0, 0}, 8.0, kFltMax, {0.3, 0.3, 0.3}},   // hidden behind a nearer hit
        {{0, 0, 10}, kFltMax, kFltMax, {0.3, 0.3, 0.3}},  // from inside
    };
    for (const auto& c : cases) {
        RT_COL colour{0.3, 0.3, 0.3};
        double dist = 0;
        rt_lightsource(ray_from(c.org, {0, 0, 1}), c.limit, colour, dist);
        EXPECT_EQ(dist, c.dist) << c.limit;
        EXPECT_TRUE(colour.r == c.colour.r && colour.g == c.colour.g && colour.b == c.colour.b) << c.limit;
    }
    rt_var.n_light_refs_stored = 0;
    double dist = 0;
    RT_COL colour{};
    rt_lightsource(ray_from({0, 0, 0}, {0, 0, 1}), kFltMax, colour, dist);
    EXPECT_EQ(dist, kFltMax);
}

TEST(Refraction, SnellsLawAndTotalReflectionOnlyWhenLeaving) {
    test::InProcess env;
    TRIANGLE tri{};
    rt_var.tris = &tri;
    rt_var.n_tri = 1;
    TraceState ts;
    ts.prepare_for_frame();
    const V3D N{0, 0, -1};  // facing the viewer
    V3D out{};
    ASSERT_EQ(rt_refract(ts, tri, N, {0.5, 0, std::sqrt(3.0) / 2}, 1.5 * 1.0003, out), 1);  // 30 degrees
    EXPECT_NEAR(std::acos(out.z) * 180 / M_PI, 19.4712, 1e-3);
    EXPECT_NEAR(v3d_len(out), 1.0, 1e-12);
    EXPECT_GT(out.x, 0);
    ASSERT_EQ(rt_refract(ts, tri, N, {0, 0, 1}, 2.4173, out), 1);  // head-on: undeflected
    EXPECT_NEAR(out.z, 1.0, 1e-12);

    V3D grazing{0.99, 0, 0.141};
    v3d_nrm(grazing);
    ts.back[0] = 1;  // leaving the body
    out = {7, 7, 7};
    EXPECT_EQ(rt_refract(ts, tri, N, grazing, 1.4588, out), 0);
    EXPECT_EQ(out.x, 7);
    ts.back[0] = 0;  // the same angle entering refracts
    EXPECT_EQ(rt_refract(ts, tri, N, grazing, 1.4588, out), 1);
}

}  // namespace
}  // namespace zy
