#include <gtest/gtest.h>

#include <cmath>

#include "driver/program_state.h"
#include "geometry/floor.h"
#include "scene/frame_loader.h"
#include "scene/rt_var.h"
#include "scene/settings_loader.h"
#include "scene/trace_state.h"
#include "support/test_support.h"

namespace zy {
namespace {

using test::InProcess;

// The small test scene with the floor switched on and a floor surface whose
// bytes are easy to follow.
writer::Scene floor_scene() {
    writer::Scene scene = test::small_scene();
    RT_INF& inf = scene.settings.inf;
    inf.flags |= 8;
    for (RT_MAT_BLOCK& m : inf.floor_mat) {
        m = RT_MAT_BLOCK{};
        m.color[0] = 255;
        m.color[1] = 51;
        m.color[2] = 0;
        m.diffuse = 70;
        m.spec_exp = 12;
        m.refraction = 2;
    }
    inf.floor_ptrn_type = 3;
    inf.floor_ptrn_scale = 2.5f;
    inf.floor_srf_flags = kSrfImage | kSrfMetal;
    return scene;
}

void load_settings(const InProcess& run, const writer::Scene& scene) {
    writer::write_scene(run.folder(), scene);
    testing::internal::CaptureStdout();
    rt_load_info();
    testing::internal::GetCapturedStdout();
}

RT_RAY ray_from(V3D org, V3D dir) {
    RT_RAY ray{};
    ray.org = org;
    ray.dir = dir;
    return ray;
}

TEST(Floor, SettingsBuildAFlatUpwardTriangleAndItsSurface) {
    InProcess run;
    load_settings(run, floor_scene());
    EXPECT_EQ(floor_tri.nrm.x, 0.0);
    EXPECT_EQ(floor_tri.nrm.y, 1.0);
    EXPECT_EQ(floor_tri.nrm.z, 0.0);
    EXPECT_EQ(floor_tri.d, -0.05);
    EXPECT_EQ(floor_tri.group, -1);
    EXPECT_EQ(floor_tri.mat_index, -1);
    EXPECT_EQ(floor_tri.srf_index, rt_var.n_srf);
    EXPECT_EQ(floor_tri.flags, kTriFlat | kTriOpaque);
    EXPECT_EQ(floor_height(), -0.05);

    const SURFACE& s = rt_var.surfaces[rt_var.n_srf];
    // Full intensity is exactly 1 on the floor (the scene surfaces overshoot it).
    EXPECT_EQ(s.mat[0].color.r, 1.0);
    EXPECT_EQ(s.mat[1].color.g, 0.2);
    EXPECT_EQ(s.mat[0].diffuse, 0.7);
    EXPECT_EQ(s.mat[0].spec_exp, 24.0);
    EXPECT_EQ(s.mat[0].refraction, _refr_table[2]);
    EXPECT_EQ(s.ptrn_type, 3);
    EXPECT_EQ(s.ptrn_scale, 2.5);
    // No texture for the floor: its image flag is dropped, the others kept.
    EXPECT_EQ(s.img_index, 255);
    EXPECT_EQ(s.srf_flags, kSrfMetal);
}

TEST(Floor, TransparentMaterialMakesTheFloorLetLightThrough) {
    InProcess run;
    writer::Scene scene = floor_scene();
    scene.settings.inf.floor_mat[1].transp = 50;
    load_settings(run, scene);
    EXPECT_EQ(floor_tri.flags, kTriFlat);
    EXPECT_EQ(rt_var.surfaces[rt_var.n_srf].mat[1].transp, 0.5);
}

TEST(Floor, SwitchedOffFloorIsNotBuilt) {
    InProcess run;
    floor_tri.srf_index = 1234;
    load_settings(run, test::small_scene());
    EXPECT_EQ(floor_tri.srf_index, 1234);
}

TEST(Floor, RayMeetsTheDiscUpToItsRim) {
    InProcess run;
    load_settings(run, floor_scene());
    rt_floor_place();
    TraceState ts;
    ts.prepare_for_frame();
    const std::size_t slot = static_cast<std::size_t>(rt_var.n_tri);

    V3D hit{};
    double t = 0;
    rt_floor_intersect(ts, ray_from({0, 1, 0}, {0, -1, 0}), hit, t);
    EXPECT_DOUBLE_EQ(t, 1.05);
    EXPECT_EQ(hit.y, -0.05);
    EXPECT_EQ(hit.x, 0.0);
    EXPECT_EQ(ts.t[slot], t);

    // Too close, going away, parallel: misses that leave the cached distance alone.
    for (const RT_RAY& ray : {ray_from({0, -0.05 + 1e-9, 0}, {0, -1, 0}), ray_from({0, 1, 0}, {0, 1, 0}),
                              ray_from({0, 1, 0}, {1, 0, 0}), ray_from({0, -0.05, 0}, {1, 0, 0})}) {
        rt_floor_intersect(ts, ray, hit, t);
        EXPECT_EQ(t, kFltMax);
    }
    EXPECT_DOUBLE_EQ(ts.t[slot], 1.05);

    const double r = rt_var.floor_radius;
    rt_floor_intersect(ts, ray_from({r, 1, 0}, {0, -1, 0}), hit, t);
    EXPECT_DOUBLE_EQ(t, 1.05);
    rt_floor_intersect(ts, ray_from({0, 1, std::nextafter(-r, -INFINITY)}, {0, -1, 0}), hit, t);
    EXPECT_EQ(t, kFltMax);
}

TEST(Floor, StaysAtSceneHeightWhateverTheLookAtPoint) {
    InProcess run;
    writer::Scene scene = floor_scene();
    writer::FrameBlock second = scene.frames[0];
    second.cam.look_at = {3, 7.25f, -2};
    scene.frames.push_back(second);
    scene.settings.inf.frame_count = 2;
    load_settings(run, scene);

    for (int16_t frame = 0; frame < 2; ++frame) {
        testing::internal::CaptureStdout();
        rt_load_frame(frame);
        testing::internal::GetCapturedStdout();
        rt_floor_place();
        TraceState ts;
        ts.prepare_for_frame();
        V3D hit{};
        double t = 0;
        rt_floor_intersect(ts, ray_from({0, 1, 0}, {0, -1, 0}), hit, t);
        ASSERT_LT(t, kFltMax);
        EXPECT_NEAR(hit.y + rt_var.pov.y, -0.05, 1e-12) << "frame " << frame;
        EXPECT_NEAR(floor_crd[2].x + rt_var.pov.x, rt_var.floor_radius, 1e-6);
    }
    EXPECT_EQ(rt_var.pov.y, 7.25);
}

}  // namespace
}  // namespace zy
