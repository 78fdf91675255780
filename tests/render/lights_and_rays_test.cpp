// Light reaching a point and rays leaving it: light spheres on records set up
// by hand, shadows and transmitted rays on scenes loaded in-process.
#include <gtest/gtest.h>

#include <vector>

#include "cells/cells.h"
#include "driver/lifecycle.h"
#include "driver/program.h"
#include "driver/program_state.h"
#include "render/lights.h"
#include "render/shading.h"
#include "render/test_scenes.h"
#include "support/scene_records.h"

namespace zy {
namespace {

using test::material;
using test::surface_of;

RT_RAY ray_from(V3D org, V3D dir) {
    RT_RAY r{};
    r.org = org;
    r.dir = dir;
    return r;
}

// Two spheres of radius 1 around (0, 0, 10): the first wins ties.
TEST(LightSphere, NearSideInFrontOfTheLimitFromOutsideAndStoredOnly) {
    test::SceneRecords records;
    LIGHT lights[2] = {{0, {0, 0, 10}, {0, 0, 0}, {1, 0.5, 0.25}, 1.0, 1, 0, 0, 0},
                       {0, {0, 0, 10}, {0, 0, 0}, {0, 1, 0}, 1.0, 1, 0, 0, 0}};
    LIGHT* refs[2] = {&lights[0], &lights[1]};
    records.settings.light_refs = refs;
    const struct {
        V3D org;
        double limit, dist;
        RT_COL colour;
        int32_t stored = 2;
    } cases[] = {
        {{0, 0, 0}, kFltMax, 9.0, {1, 0.5, 0.25}},
        {{0, 0, 0}, 8.0, kFltMax, {0.3, 0.3, 0.3}},       // hidden behind a nearer hit
        {{0, 0, 10}, kFltMax, kFltMax, {0.3, 0.3, 0.3}},  // from inside
        {{0, 0, 0}, kFltMax, kFltMax, {0.3, 0.3, 0.3}, 0},  // references not stored
    };
    for (const auto& c : cases) {
        records.settings.n_light_refs_stored = c.stored;
        RT_COL colour{0.3, 0.3, 0.3};
        double dist = 0;
        rt_lightsource(records.scene(), ray_from(c.org, {0, 0, 1}), c.limit, colour, dist);
        EXPECT_EQ(dist, c.dist) << c.limit << " " << c.stored;
        EXPECT_TRUE(colour.r == c.colour.r && colour.g == c.colour.g && colour.b == c.colour.b) << c.limit;
    }
}

// Writes the scene, loads frame 0 and prepares it and ts as the frame loop does.
void prepare_first_frame(test::SceneBuilder& b, const test::InProcess& env, TraceState& ts) {
    b.write(env.folder());
    prg_init();
    prepare_frame(0);
    ts.prepare_for_frame();
}

const double kWhite = test::linear(255);

// A wall in the plane z = 0 facing the camera, a white light straight in front
// of it at (0, 0, -100) and panes between them at z = -50 and -60.
TEST(Shadow, PanesFilterOrBlockTheLightReachingTheWall) {
    const RT_SRF half = surface_of(material(255, 0, 0, 0, 0, 50));
    const struct {
        const char* what;
        std::vector<RT_SRF> panes;
        V3D to_light;
        int16_t lit;
        double r, g;
    } cases[] = {
        {"open path", {}, {0, 0, -1}, 1, kWhite, kWhite},
        {"half transparent, colour plays no part", {half}, {0, 0, -1}, 1, kWhite * 0.5, kWhite * 0.5},
        {"two panes", {half, half}, {0, 0, -1}, 1, kWhite * 0.25, kWhite * 0.25},
        {"tinted", {surface_of(material(255, 0, 0, 0, 0, 50), kSrfTinted)}, {0, 0, -1}, 1, kWhite * 0.5 * kWhite, 0},
        {"black tinted", {surface_of(material(0, 0, 0, 0, 0, 50), kSrfTinted)}, {0, 0, -1}, 0, 0, 0},
        {"opaque", {surface_of(material(255, 255, 255, 0))}, {0, 0, -1}, 0, 0, 0},
        {"casts no shadow", {surface_of(material(255, 255, 255, 0), kSrfNoShadow)}, {0, 0, -1}, 1, kWhite, kWhite},
        {"flat facet facing away", {}, {0, 0, 1}, 0, 0, 0},
    };
    for (const auto& c : cases) {
        test::InProcess env;
        test::SceneBuilder b;
        b.settings().flags = kInfLights;
        b.triangle({-50, -50, 0}, {0, 50, 0}, {50, -50, 0}, b.surface(surface_of(material(255, 255, 255, 0, 100))));
        b.light({0, 0, -100}, 255, 255, 255);
        float z = -50;
        for (const RT_SRF& pane : c.panes) {
            b.triangle({-50, -50, z}, {0, 50, z}, {50, -50, z}, b.surface(pane));
            z -= 10;
        }
        TraceState ts;
        prepare_first_frame(b, env, ts);
        V3D n;
        uint8_t back;
        rt_tri_nrm(rt_var.tris[0], ray_from({0, 0, 0}, {0, 0, 1}), {0, 0, 0}, n, back);
        RT_COL lc = rt_var.lights[0].col;
        ASSERT_EQ(rt_bright(ts, frame_scene(), rt_var.tris[0], back, {0, 0, 0}, nullptr, n, c.to_light, 100.0, lc),
                  c.lit)
            << c.what;
        if (c.lit == 0) continue;
        EXPECT_NEAR(lc.r, c.r, 1e-9) << c.what;
        EXPECT_NEAR(lc.g, c.g, 1e-9) << c.what;
    }
}

// A glass sheet in the plane y = 0 whose normal points down, seen from above
// at a grazing angle, so that the view ray meets its back side; a wall far
// behind it shows in the mirror direction.
TEST(Transmission, TotalInternalReflectionMatchedIndexAndDepth) {
    const struct {
        const char* what;
        int16_t flags, depth;
        uint8_t refraction;
        RT_COL want;
    } cases[] = {
        {"total internal reflection is a mirror ray", kInfRefract | kInfReflect, 2, 2,
         {test::linear(51), test::linear(102), test::linear(204)}},
        {"without reflection the light is lost", kInfRefract, 2, 2, {0, 0, 0}},
        {"a matched index passes the background", kInfRefract | kInfReflect, 2, 0,
         {test::linear(200), 0, test::linear(10)}},
        {"depth 0 traces nothing", kInfRefract | kInfReflect, 0, 2, {0, 0, 0}},
    };
    for (const auto& c : cases) {
        test::InProcess env;
        test::SceneBuilder b;
        b.settings().flags = c.flags;
        b.settings().max_depth = c.depth;
        b.settings().sky_color1[0] = 200;
        b.settings().sky_color1[2] = 10;
        RT_MAT_BLOCK glass = material(255, 255, 255, 0, 0, 100);
        glass.refraction = c.refraction;
        b.triangle({-1000, 0, -1000}, {1000, 0, -1000}, {0, 0, 1000}, b.surface(surface_of(glass)));
        b.triangle({-100, 0.5f, 200}, {0, 100, 200}, {100, 0.5f, 200}, b.surface(surface_of(material(51, 102, 204, 100))));
        TraceState ts;
        prepare_first_frame(b, env, ts);
        RT_RAY ray = ray_from({0, 1, -100}, {0, -0.01, 1});
        RT_COL got{-1, -1, -1};
        rt_intersect(ts, frame_scene(), ray, nullptr, got);
        EXPECT_EQ(ts.depth, 0);
        EXPECT_TRUE(got.r == c.want.r && got.g == c.want.g && got.b == c.want.b)
            << c.what << ": " << got.r << " " << got.g << " " << got.b;
    }
}

}  // namespace
}  // namespace zy
