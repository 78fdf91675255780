#include <gtest/gtest.h>

#include <cmath>

#include "driver/program.h"
#include "driver/program_state.h"
#include "geometry/floor.h"
#include "render/test_scenes.h"
#include "scene/frame_loader.h"
#include "scene/rt_var.h"
#include "scene/settings_loader.h"
#include "scene/trace_state.h"

namespace zy {
namespace {

using test::InProcess;

// The small test scene with the floor switched on and a floor surface whose
// bytes are easy to follow; the second floor material lets transp through.
writer::Scene floor_scene(uint8_t transp = 0) {
    writer::Scene scene = test::small_scene();
    RT_INF& inf = scene.settings.inf;
    inf.flags |= kInfFloor;
    for (RT_MAT_BLOCK& m : inf.floor_mat) {
        m = test::material(255, 51, 0, 0, 70);
        m.spec_exp = 12;
        m.refraction = 2;
    }
    inf.floor_mat[1].transp = transp;
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

// The distance along a ray to the floor (kFltMax on a miss), and the hit point.
double floor_distance(V3D org, V3D dir, V3D* hit = nullptr) {
    RT_RAY ray{};
    ray.org = org;
    ray.dir = dir;
    V3D p{};
    double t = 0;
    rt_floor_intersect(frame_scene(), ray, p, t);
    if (hit) *hit = p;
    return t;
}

TEST(Floor, SettingsBuildAFlatUpwardTriangleAndItsSurface) {
    for (uint8_t transp : {0, 50}) {
        InProcess run;
        load_settings(run, floor_scene(transp));
        EXPECT_TRUE(floor_tri.nrm.x == 0.0 && floor_tri.nrm.y == 1.0 && floor_tri.nrm.z == 0.0);
        EXPECT_TRUE(floor_tri.d == -0.05 && frame_scene().floor_height() == -0.05);
        EXPECT_TRUE(floor_tri.group == -1 && floor_tri.mat_index == -1 && floor_tri.srf_index == rt_var.n_srf);
        EXPECT_EQ(floor_tri.flags, transp ? kTriFlat : kTriFlat | kTriOpaque);
        const SURFACE& s = rt_var.surfaces[rt_var.n_srf];
        // Full intensity is exactly 1 on the floor (the scene surfaces overshoot it).
        EXPECT_TRUE(s.mat[0].color.r == 1.0 && s.mat[1].color.g == 0.2 && s.mat[1].transp == transp / 100.0);
        EXPECT_TRUE(s.mat[0].diffuse == 0.7 && s.mat[0].spec_exp == 24.0 && s.mat[0].refraction == _refr_table[2]);
        // No texture for the floor: its image flag is dropped, the others kept.
        EXPECT_TRUE(s.ptrn_type == 3 && s.ptrn_scale == 2.5 && s.img_index == 255 && s.srf_flags == kSrfMetal);
    }
    InProcess run;  // a floor switched off is not built
    floor_tri.srf_index = 1234;
    load_settings(run, test::small_scene());
    EXPECT_EQ(floor_tri.srf_index, 1234);
}

TEST(Floor, RayMeetsTheDiscUpToItsRim) {
    InProcess run;
    load_settings(run, floor_scene());
    rt_floor_place();
    const double cached = 1.05, r = rt_var.floor_radius;
    V3D hit{};
    EXPECT_DOUBLE_EQ(floor_distance({0, 1, 0}, {0, -1, 0}, &hit), cached);
    EXPECT_TRUE(hit.y == -0.05 && hit.x == 0.0);
    // Too close, going away, parallel, beyond the rim: misses.
    const V3D misses[][2] = {{{0, -0.05 + 1e-9, 0}, {0, -1, 0}}, {{0, 1, 0}, {0, 1, 0}}, {{0, 1, 0}, {1, 0, 0}},
                             {{0, -0.05, 0}, {1, 0, 0}}, {{0, 1, std::nextafter(-r, -INFINITY)}, {0, -1, 0}}};
    for (const auto& m : misses) EXPECT_EQ(floor_distance(m[0], m[1]), kFltMax) << m[0].y << " " << m[1].y;
    EXPECT_DOUBLE_EQ(floor_distance({r, 1, 0}, {0, -1, 0}), cached);
}

}  // namespace
}  // namespace zy
