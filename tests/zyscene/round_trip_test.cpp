// Descriptions compiled and read back through the renderer's own loaders.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <tuple>

#include "driver/program_state.h"
#include "scene/frame_loader.h"
#include "scene/rt_var.h"
#include "zyscene_fixture.h"

namespace zy::zyscene::test {
namespace {

using zy::test::InProcess;

const std::string kRich = R"({
  "name": "Rich",
  "render": {"width": 33, "height": 21, "antialias": 2, "max_depth": 7, "reflections": false,
             "floor": true, "clouds": true, "fog": true, "autosave": true, "frames": 3, "wave_period": 9},
  "sky": {"top": [1, 2, 3], "middle": "#0a0B0c", "horizon": [7, 8, 9], "height": 40},
  "clouds": {"coverage": 70, "turbulence": 20, "color1": [10, 20, 30], "color2": [40, 50, 60]},
  "fog": {"distance": 123.5, "color": [70, 80, 90]},
  "ambient": [100, 110, 120],
  "surfaces": {
    "matte": {},
    "shiny": {
      "material": {"color": [255, 0, 51], "luminous": 5, "ambient": 10, "diffuse": 60, "specular": 70,
                   "exponent": 30, "reflection": 20, "transparency": 40, "refraction": "diamond"},
      "material2": {"color": [0, 255, 0], "refraction": "water"},
      "pattern": {"name": "checkered", "orientation": "across", "scale": 2.5},
      "bump": {"name": "wave_anim", "depth": 0.25, "scale": 4},
      "flags": ["no_shadow", "metal", "tinted"]}
  },
  "floor": {"surface": "shiny"},
  "camera": {"eye": [1, 2, -7], "look_at": [1, 2, 3], "up": [0, 2, 0], "fov": 50},
  "lights": [
    {"position": [4, 5, 6], "color": [255, 128, 0], "radius": 0.5, "attenuation": "medium"},
    {"type": "spot", "position": [0, 10, 0], "target": [0, 10, 4], "cone": 60, "softness": 100}
  ],
  "objects": [
    {"box": {"size": [2, 4, 6]}, "surface": "matte", "transform": {"translate": [10, 0, 0]}},
    {"sphere": {"segments": 8, "rings": 4}, "surface": "shiny",
     "transform": {"translate": [1, 2, 3], "rotate": [0, 90, 0], "scale": 2}}
  ]
})";

auto material_values(const MATERIAL& m) {
    return std::tuple(m.luminous, m.ambient, m.diffuse, m.specular, m.spec_exp, m.reflect, m.transp, m.refraction);
}
auto texture_choices(const SURFACE& s) {
    return std::tuple<int, int, double, int, int>(s.ptrn_type, s.ptrn_arg, s.ptrn_scale, s.bump_type, s.srf_flags);
}

// kRich, compiled and loaded.
class RoundTrip : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(load_back(compile_text(run_.folder(), kRich)), -1); }
    InProcess run_;
};

TEST_F(RoundTrip, SettingsReachTheRendererAsDescribed) {
    // Antialias level 2 is tolerances 0 and 0.2.
    EXPECT_EQ(std::tuple(rt_var.res_x, rt_var.res_y, rt_var.aa_tolerance, rt_var.aa_tolerance2, rt_var.max_depth),
              std::tuple(33, 21, 0.0, 0.2, 7));
    EXPECT_EQ(std::tuple(rt_var.reflect_on, rt_var.refract_on, rt_var.light_on, rt_var.floor_on, rt_var.clouds_on,
                         rt_var.fog_on, autosave),
              std::tuple(0, 1, 1, 1, 1, 1, 1));
    EXPECT_EQ(std::tuple(rt_var.frame_count, rt_var.wave_period, rt_var.sky_height),
              std::tuple(3, 9, 40 * 3000000.0 / 100.0));
    EXPECT_EQ(rgb(rt_var.sky_color1), rgb(1, 2, 3));
    EXPECT_EQ(rgb(rt_var.sky_color2), rgb(10, 11, 12));
    EXPECT_EQ(rgb(rt_var.sky_color3), rgb(7, 8, 9));
    EXPECT_EQ(std::tuple(rt_var.cloud_a, rt_var.cloud_b, rt_var.fog_distance), std::tuple(0.7, 0.2 + 0.5, 123.5));
    EXPECT_EQ(rgb(rt_var.cloud_color1), rgb(10, 20, 30));
    EXPECT_EQ(rgb(rt_var.cloud_color2), rgb(40, 50, 60));
    EXPECT_EQ(rgb(rt_var.fog_color), rgb(70, 80, 90));
    EXPECT_EQ(rgb(rt_var.ambient_color), rgb(100, 110, 120));
    // Only the patterned sphere needs matrices.
    EXPECT_EQ(std::tuple(rt_var.n_img, rt_var.n_srf, rt_var.n_light, rt_var.n_light_ref, rt_var.n_obj, rt_var.n_mat),
              std::tuple(0, 2, 2, 1, 2, 1));
    // The box, and the sphere's two caps of 8 and two bands of 8 quads.
    EXPECT_EQ(std::tuple(rt_var.obj_tri_count[0], rt_var.obj_tri_count[1], rt_var.n_tri, rt_var.n_pnt),
              std::tuple(12, 2 * 8 * 3, 12 + 48, 8 + 2 + 3 * 8));
}

TEST_F(RoundTrip, SurfacesAndFloorKeepEveryNamedChoice) {
    const SURFACE& matte = rt_var.surfaces[0];
    EXPECT_EQ(rgb(matte.mat[0].color), rgb(255, 255, 255));
    EXPECT_EQ(material_values(matte.mat[0]), std::tuple(0.0, 0.2, 0.8, 0.0, 20.0, 0.0, 0.0, 1.0003));
    EXPECT_EQ(texture_choices(matte), std::tuple(0, 0, 1.0, 0, 0));

    const SURFACE& shiny = rt_var.surfaces[1];
    EXPECT_EQ(rgb(shiny.mat[0].color), rgb(255, 0, 51));
    EXPECT_EQ(material_values(shiny.mat[0]), std::tuple(0.05, 0.1, 0.6, 0.7, 30.0, 0.2, 0.4, 2.4173));
    // The second material inherits what it does not say.
    EXPECT_EQ(rgb(shiny.mat[1].color), rgb(0, 255, 0));
    EXPECT_EQ(material_values(shiny.mat[1]), std::tuple(0.05, 0.1, 0.6, 0.7, 30.0, 0.2, 0.4, 1.3329));
    EXPECT_EQ(texture_choices(shiny), std::tuple(28, 3, 2.5, 6, 2 | 4 | 8));
    EXPECT_EQ(std::tuple(shiny.bump_depth, shiny.bump_scale), std::tuple(0.25, 4.0));

    const SURFACE& floor = rt_var.surfaces[2];
    EXPECT_EQ(rgb(floor.mat[0].color), rgb(255, 0, 51, 255.0));  // the floor divides by 255
    EXPECT_EQ(floor.mat[1].refraction, 1.3329);
    EXPECT_EQ(texture_choices(floor), texture_choices(shiny));
}

TEST_F(RoundTrip, CameraAndLightsOfTheFrame) {
    EXPECT_EQ(xyz(rt_var.pov), xyz({1, 2, 3}));
    // The up vector is stored negated by the loader.
    EXPECT_EQ(std::tuple(rt_var.eye.z, rt_var.sky.y, rt_var.fov_x), std::tuple(-10, -2, 25));

    const LIGHT& lamp = rt_var.lights[0];
    EXPECT_NE(lamp.kind, 1);
    EXPECT_EQ(rgb(lamp.col), rgb(255, 128, 0));
    EXPECT_EQ(std::tuple(lamp.pos.x, lamp.radius, lamp.att1), std::tuple(3, 0.5, 0.0025));
    EXPECT_EQ(rt_var.light_refs[0], &rt_var.lights[0]);

    const LIGHT& spot = rt_var.lights[1];
    EXPECT_EQ(spot.kind, 1);
    EXPECT_EQ(xyz(spot.dir), xyz({0, 0, 1}));                             // a unit vector toward the target
    EXPECT_EQ(std::tuple(spot.att1, spot.cos_in), std::tuple(0.0, 1.0));  // full softness
    EXPECT_NEAR(spot.cos_out, std::cos(30 * 3.141592653589793 / 180), 1e-15);
}

TEST_F(RoundTrip, LaterFramesRepeatTheFirst) {
    const V3D first = rt_var.points[5];
    EXPECT_EQ(quiet_stop_error([] {
                  rt_load_frame(1);
                  rt_load_frame(2);
              }),
              -1);
    EXPECT_EQ(xyz(rt_var.points[5]), xyz(first));
}

TEST_F(RoundTrip, TrianglesCarrySurfaceShadingAndMatrix) {
    for (int i = 0; i < rt_var.n_tri; ++i) {
        const TRIANGLE& t = rt_var.tris[i];
        // The box flat and opaque, the sphere smooth and transparent.
        const auto expected = i < 12 ? std::tuple(0, -1, 3) : std::tuple(1, 0, 0);
        EXPECT_EQ((std::tuple<int, int, int>(t.srf_index, t.mat_index, t.flags)), expected) << i;
    }
    // The box: 2 x 4 x 6 around (10, 0, 0).
    V3D lo{1e9, 1e9, 1e9}, hi{-1e9, -1e9, -1e9};
    for (int i = 0; i < 8; ++i) {
        const V3D p = rt_var.points[i];
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
    EXPECT_EQ(std::tuple(lo.x + rt_var.pov.x, hi.x + rt_var.pov.x, hi.y - lo.y, hi.z - lo.z), std::tuple(9, 11, 4, 6));
}

TEST_F(RoundTrip, SmoothNormalsPointOutOfTheSphereAndAgreeWithTheWinding) {
    V3D centre;
    v3d_sub({1, 2, 3}, rt_var.pov, centre);
    for (int i = 12; i < rt_var.n_tri; ++i) {
        const TRIANGLE& t = rt_var.tris[i];
        for (int c = 0; c < 3; ++c) {
            V3D r;
            v3d_sub(*t.v[c], centre, r);
            EXPECT_NEAR(v3d_scal(r, r), 4.0, 1e-5);  // radius 1, scaled by 2
            EXPECT_NEAR(v3d_scal(t.vn[c], r) / 2, 1.0, 1e-4);
        }
        EXPECT_GT(v3d_scal(t.nrm, t.vn[0]), 0.5);
    }
    for (int i = 0; i < 12; ++i) EXPECT_GT(v3d_scal(rt_var.tris[i].nrm, rt_var.tris[i].vn[0]), 0.99);
}

TEST_F(RoundTrip, MatricesCarryScenePointsIntoObjectSpaceAndVectorsBack) {
    // Scale 2, then y turned 90 degrees (z toward x, so x toward -z), then
    // moved by (1, 2, 3): the object's (1, 0, 0) lies at (1, 2, 1).
    V3D object, scene;
    v3d_trnsf({1, 2, 1}, object, rt_var.ptrn_mat[0]);
    expect_near(object, {1, 0, 0}, 1e-12);
    EXPECT_EQ(std::memcmp(&rt_var.img_mat[0], &rt_var.ptrn_mat[0], sizeof(MAT4)), 0);
    v3d_trnsf({1, 0, 0}, scene, rt_var.bump_mat[0]);  // a vector: no translation
    expect_near(scene, {0, 0, -2}, 1e-12);
    for (int c = 0; c < 4; ++c) EXPECT_EQ(rt_var.bump_mat[0].m[3][c], 0.0);
}

TEST(Placement, MirroringKeepsWindingAndNormalsTogether) {
    InProcess run;
    const auto scene = compile_text(run.folder(), "{" + kCamera + R"(, "surfaces": {"s": {}}, "objects": [
        {"torus": {"segments": 6, "sides": 4}, "surface": "s", "transform": {"scale": [-1, 1, 2]}},
        {"box": {}, "surface": "s", "smooth": true, "transform": {"scale": [1, -3, 1]}}]})");
    ASSERT_EQ(load_back(scene), -1);
    for (int i = 0; i < rt_var.n_tri; ++i)
        for (int c = 0; c < 3; ++c) EXPECT_GT(v3d_scal(rt_var.tris[i].nrm, rt_var.tris[i].vn[c]), 0) << i;
}

}  // namespace
}  // namespace zy::zyscene::test
