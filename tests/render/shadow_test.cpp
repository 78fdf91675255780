// The shadow test and secondary rays, on real scenes loaded in-process.
#include <gtest/gtest.h>

#include "cells/cells.h"
#include "driver/program.h"
#include "driver/program_state.h"
#include "geometry/camera.h"
#include "geometry/floor.h"
#include "render/lights.h"
#include "render/shading.h"
#include "render/test_scenes.h"
#include "scene/frame_loader.h"

namespace zy {
namespace {

using test::material;
using test::surface_of;

// Loads frame 0 of the written scene and prepares it as the frame loop does.
void prepare_first_frame() {
    prg_init();
    flag_temporaire = 1;
    rt_var.frame_current = 0;
    rt_load_frame(0);
    rt_tri_group();
    if (rt_var.floor_on) rt_floor_place();
    rt_viewing();
    rt_preprocess();
}

// A wall in the plane z = 0 facing the camera, a light straight in front of it
// at (0, 0, -100) and panes between them that the test adds.
class Shadow : public ::testing::Test {
protected:
    Shadow() {
        b_.settings().flags = test::kLights;
        wall_ = b_.surface(surface_of(material(255, 255, 255, 0, 100)));
        b_.triangle({-50, -50, 0}, {0, 50, 0}, {50, -50, 0}, wall_);
        b_.light({0, 0, -100}, 255, 255, 255);
    }
    void pane(float z, const RT_SRF& srf) { b_.triangle({-50, -50, z}, {0, 50, z}, {50, -50, z}, b_.surface(srf)); }

    // Light arriving at the wall's centre: 1 or 0, and the filtered colour.
    int16_t bright(RT_COL& lc, V3D L = {0, 0, -1}) {
        b_.write(env_.folder());
        prepare_first_frame();
        ts_.prepare_for_frame();
        const TRIANGLE& wall = rt_var.tris[0];
        RT_RAY view{};
        view.dir = {0, 0, 1};
        V3D n;
        rt_tri_nrm(ts_, wall, view, {0, 0, 0}, n);
        lc = rt_var.lights[0].col;
        return rt_bright(ts_, wall, {0, 0, 0}, n, L, 100.0, lc);
    }

    test::InProcess env_;
    test::SceneBuilder b_;
    int16_t wall_;
    TraceState ts_;
};

const double kWhite = test::linear(255);

TEST_F(Shadow, OpenPathKeepsTheLight) {
    RT_COL lc;
    ASSERT_EQ(bright(lc), 1);
    EXPECT_EQ(lc.r, kWhite);
}

TEST_F(Shadow, HalfTransparentPanesHalveTheLightEach) {
    pane(-50, surface_of(material(255, 0, 0, 0, 0, 50)));
    RT_COL lc;
    ASSERT_EQ(bright(lc), 1);
    EXPECT_NEAR(lc.r, kWhite * 0.5, 1e-9);
    EXPECT_NEAR(lc.g, kWhite * 0.5, 1e-9);  // untinted: the pane's colour plays no part
}

TEST_F(Shadow, TwoPanesQuarterIt) {
    pane(-50, surface_of(material(255, 0, 0, 0, 0, 50)));
    pane(-60, surface_of(material(255, 0, 0, 0, 0, 50)));
    RT_COL lc;
    ASSERT_EQ(bright(lc), 1);
    EXPECT_NEAR(lc.b, kWhite * 0.25, 1e-9);
}

TEST_F(Shadow, TintedPaneFiltersByItsColour) {
    pane(-50, surface_of(material(255, 0, 0, 0, 0, 50), kSrfTinted));
    RT_COL lc;
    ASSERT_EQ(bright(lc), 1);
    EXPECT_NEAR(lc.r, kWhite * 0.5 * kWhite, 1e-9);
    EXPECT_EQ(lc.g, 0.0);
}

TEST_F(Shadow, BlackTintedPaneStopsTheLight) {
    pane(-50, surface_of(material(0, 0, 0, 0, 0, 50), kSrfTinted));
    RT_COL lc;
    EXPECT_EQ(bright(lc), 0);
}

TEST_F(Shadow, OpaqueOccluderBlocks) {
    pane(-50, surface_of(material(255, 255, 255, 0, 0, 0)));
    RT_COL lc;
    EXPECT_EQ(bright(lc), 0);
}

TEST_F(Shadow, NoShadowSurfaceLetsEverythingThrough) {
    pane(-50, surface_of(material(255, 255, 255, 0, 0, 0), kSrfNoShadow));
    RT_COL lc;
    ASSERT_EQ(bright(lc), 1);
    EXPECT_EQ(lc.r, kWhite);
}

TEST_F(Shadow, FlatFacetFacingAwayIsDark) {
    RT_COL lc;
    EXPECT_EQ(bright(lc, {0, 0, 1}), 0);
}

// A glass sheet in the plane y = 0 whose normal points down, seen from above
// at a grazing angle, so that the view ray meets its back side; a wall far
// behind it shows in the mirror direction.
class Transmission : public ::testing::Test {
protected:
    Transmission() {
        b_.settings().max_depth = 2;
        RT_MAT_BLOCK glass = material(255, 255, 255, 0, 0, 100);
        glass.refraction = 2;
        glass_ = b_.surface(surface_of(glass));
        b_.triangle({-1000, 0, -1000}, {1000, 0, -1000}, {0, 0, 1000}, glass_);
        b_.triangle({-100, 0.5f, 200}, {0, 100, 200}, {100, 0.5f, 200}, b_.surface(surface_of(material(51, 102, 204, 100))));
    }
    RT_COL trace() {
        b_.write(env_.folder());
        prepare_first_frame();
        ts_.prepare_for_frame();
        RT_RAY ray{};
        ray.org = {0, 1, -100};
        ray.dir = {0, -0.01, 1};
        RT_COL c{-1, -1, -1};
        rt_intersect(ts_, ray, nullptr, c);
        EXPECT_EQ(ts_.depth, 0);
        return c;
    }
    test::InProcess env_;
    test::SceneBuilder b_;
    int16_t glass_;
    TraceState ts_;
};

TEST_F(Transmission, TotalInternalReflectionBecomesAMirrorRay) {
    b_.settings().flags = test::kRefract | test::kReflect;
    const RT_COL c = trace();
    EXPECT_EQ(c.r, test::linear(51));
    EXPECT_EQ(c.g, test::linear(102));
    EXPECT_EQ(c.b, test::linear(204));
}

TEST_F(Transmission, WithoutReflectionTheLightIsLost) {
    b_.settings().flags = test::kRefract;
    const RT_COL c = trace();
    EXPECT_EQ(c.r, 0.0);
    EXPECT_EQ(c.b, 0.0);
}

TEST_F(Transmission, MatchedIndexPassesTheBackground) {
    b_.settings().flags = test::kRefract | test::kReflect;
    b_.scene().settings.surfaces[glass_].mat[0].refraction = 0;
    b_.settings().sky_color1[0] = 200;
    b_.settings().sky_color1[2] = 10;
    const RT_COL c = trace();
    EXPECT_EQ(c.r, test::linear(200));  // weight transp = 1, nothing else seen
    EXPECT_EQ(c.b, test::linear(10));
}

TEST_F(Transmission, DepthZeroTracesNothing) {
    b_.settings().flags = test::kRefract | test::kReflect;
    b_.settings().max_depth = 0;
    const RT_COL c = trace();
    EXPECT_EQ(c.g, 0.0);
}

}  // namespace
}  // namespace zy
