// Descriptions compiled and read back through the renderer's own loaders.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "driver/program_state.h"
#include "scene/frame_loader.h"
#include "scene/rt_var.h"
#include "zyscene_fixture.h"

namespace zy::zyscene::test {
namespace {

using zy::test::InProcess;

constexpr double kByte = 254.99999999999997;  // the loaders' colour divisor

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

double dot(const V3D& a, const V3D& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

V3D sub(const V3D& a, const V3D& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

#define EXPECT_COLOUR(c, r8, g8, b8, divisor) \
    do {                                      \
        EXPECT_EQ((c).r, (r8) / (divisor));   \
        EXPECT_EQ((c).g, (g8) / (divisor));   \
        EXPECT_EQ((c).b, (b8) / (divisor));   \
    } while (0)

TEST(RoundTrip, SettingsReachTheRendererAsDescribed) {
    InProcess run;
    ASSERT_EQ(load_back(compile_text(run.folder(), kRich)), -1);
    EXPECT_EQ(rt_var.res_x, 33);
    EXPECT_EQ(rt_var.res_y, 21);
    EXPECT_EQ(rt_var.aa_tolerance, 0.0);  // level 2
    EXPECT_EQ(rt_var.aa_tolerance2, 0.2);
    EXPECT_EQ(rt_var.max_depth, 7);
    EXPECT_EQ(rt_var.reflect_on, 0);
    EXPECT_EQ(rt_var.refract_on, 1);
    EXPECT_EQ(rt_var.light_on, 1);
    EXPECT_EQ(rt_var.floor_on, 1);
    EXPECT_EQ(rt_var.clouds_on, 1);
    EXPECT_EQ(rt_var.fog_on, 1);
    EXPECT_EQ(autosave, 1);
    EXPECT_EQ(rt_var.frame_count, 3);
    EXPECT_EQ(rt_var.wave_period, 9);
    EXPECT_EQ(rt_var.sky_height, 40 * 3000000.0 / 100.0);
    EXPECT_COLOUR(rt_var.sky_color1, 1, 2, 3, kByte);
    EXPECT_COLOUR(rt_var.sky_color2, 10, 11, 12, kByte);
    EXPECT_COLOUR(rt_var.sky_color3, 7, 8, 9, kByte);
    EXPECT_EQ(rt_var.cloud_a, 0.7);
    EXPECT_EQ(rt_var.cloud_b, 0.2 + 0.5);
    EXPECT_COLOUR(rt_var.cloud_color1, 10, 20, 30, kByte);
    EXPECT_COLOUR(rt_var.cloud_color2, 40, 50, 60, kByte);
    EXPECT_EQ(rt_var.fog_distance, 123.5);
    EXPECT_COLOUR(rt_var.fog_color, 70, 80, 90, kByte);
    EXPECT_COLOUR(rt_var.ambient_color, 100, 110, 120, kByte);
    EXPECT_EQ(rt_var.n_img, 0);
    EXPECT_EQ(rt_var.n_srf, 2);
    EXPECT_EQ(rt_var.n_light, 2);
    EXPECT_EQ(rt_var.n_light_ref, 1);
    EXPECT_EQ(rt_var.n_obj, 2);
    EXPECT_EQ(rt_var.obj_tri_count[0], 12);
    EXPECT_EQ(rt_var.obj_tri_count[1], 2 * 8 * 3);  // two caps of 8 and two bands of 8 quads
    EXPECT_EQ(rt_var.n_tri, 12 + 48);
    EXPECT_EQ(rt_var.n_pnt, 8 + 2 + 3 * 8);
    EXPECT_EQ(rt_var.n_mat, 1);  // only the patterned sphere needs matrices
}

TEST(RoundTrip, SurfacesAndFloorKeepEveryNamedChoice) {
    InProcess run;
    ASSERT_EQ(load_back(compile_text(run.folder(), kRich)), -1);
    const SURFACE& matte = rt_var.surfaces[0];
    EXPECT_COLOUR(matte.mat[0].color, 255, 255, 255, kByte);
    EXPECT_EQ(matte.mat[0].ambient, 0.2);
    EXPECT_EQ(matte.mat[0].diffuse, 0.8);
    EXPECT_EQ(matte.mat[0].spec_exp, 20.0);
    EXPECT_EQ(matte.mat[0].refraction, 1.0003);
    EXPECT_EQ(matte.ptrn_type, 0);
    EXPECT_EQ(matte.bump_type, 0);
    EXPECT_EQ(matte.srf_flags, 0);

    const SURFACE& shiny = rt_var.surfaces[1];
    const MATERIAL& m = shiny.mat[0];
    EXPECT_COLOUR(m.color, 255, 0, 51, kByte);
    EXPECT_EQ(m.luminous, 0.05);
    EXPECT_EQ(m.ambient, 0.1);
    EXPECT_EQ(m.diffuse, 0.6);
    EXPECT_EQ(m.specular, 0.7);
    EXPECT_EQ(m.spec_exp, 30.0);
    EXPECT_EQ(m.reflect, 0.2);
    EXPECT_EQ(m.transp, 0.4);
    EXPECT_EQ(m.refraction, 2.4173);
    // The second material inherits what it does not say.
    EXPECT_COLOUR(shiny.mat[1].color, 0, 255, 0, kByte);
    EXPECT_EQ(shiny.mat[1].diffuse, 0.6);
    EXPECT_EQ(shiny.mat[1].transp, 0.4);
    EXPECT_EQ(shiny.mat[1].refraction, 1.3329);
    EXPECT_EQ(shiny.ptrn_type, 28);
    EXPECT_EQ(shiny.ptrn_arg, 3);
    EXPECT_EQ(shiny.ptrn_scale, 2.5);
    EXPECT_EQ(shiny.bump_type, 6);
    EXPECT_EQ(shiny.bump_depth, 0.25);
    EXPECT_EQ(shiny.bump_scale, 4.0);
    EXPECT_EQ(shiny.srf_flags, 2 | 4 | 8);

    const SURFACE& floor = rt_var.surfaces[2];
    EXPECT_COLOUR(floor.mat[0].color, 255, 0, 51, 255.0);  // the floor divides by 255
    EXPECT_EQ(floor.mat[1].refraction, 1.3329);
    EXPECT_EQ(floor.ptrn_type, 28);
    EXPECT_EQ(floor.ptrn_arg, 3);
    EXPECT_EQ(floor.bump_type, 6);
    EXPECT_EQ(floor.ptrn_scale, 2.5);
    EXPECT_EQ(floor.srf_flags, 2 | 4 | 8);
}

TEST(RoundTrip, CameraAndLightsOfTheFrame) {
    InProcess run;
    ASSERT_EQ(load_back(compile_text(run.folder(), kRich)), -1);
    EXPECT_EQ(rt_var.pov.x, 1);
    EXPECT_EQ(rt_var.pov.y, 2);
    EXPECT_EQ(rt_var.pov.z, 3);
    EXPECT_EQ(rt_var.eye.z, -10);
    EXPECT_EQ(rt_var.sky.y, -2);  // stored negated by the loader
    EXPECT_EQ(rt_var.fov_x, 25);

    const LIGHT& lamp = rt_var.lights[0];
    EXPECT_NE(lamp.kind, 1);
    EXPECT_COLOUR(lamp.col, 255, 128, 0, kByte);
    EXPECT_EQ(lamp.pos.x, 3);
    EXPECT_EQ(lamp.radius, 0.5);
    EXPECT_EQ(lamp.att1, 0.0025);
    EXPECT_EQ(rt_var.light_refs[0], &rt_var.lights[0]);

    const LIGHT& spot = rt_var.lights[1];
    EXPECT_EQ(spot.kind, 1);
    EXPECT_EQ(spot.dir.x, 0);
    EXPECT_EQ(spot.dir.y, 0);
    EXPECT_EQ(spot.dir.z, 1);  // a unit vector toward the target
    EXPECT_EQ(spot.att1, 0.0);
    EXPECT_NEAR(spot.cos_out, std::cos(30 * 3.141592653589793 / 180), 1e-15);
    EXPECT_EQ(spot.cos_in, 1.0);  // full softness
}

TEST(RoundTrip, LaterFramesRepeatTheFirst) {
    InProcess run;
    ASSERT_EQ(load_back(compile_text(run.folder(), kRich)), -1);
    const V3D first = rt_var.points[5];
    testing::internal::CaptureStdout();
    EXPECT_EQ(zy::test::stop_error_of([] {
                  rt_load_frame(1);
                  rt_load_frame(2);
              }),
              -1);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(rt_var.points[5].x, first.x);
    EXPECT_EQ(rt_var.points[5].z, first.z);
}

TEST(RoundTrip, TrianglesCarrySurfaceShadingAndMatrix) {
    InProcess run;
    ASSERT_EQ(load_back(compile_text(run.folder(), kRich)), -1);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(rt_var.tris[i].srf_index, 0);
        EXPECT_EQ(rt_var.tris[i].mat_index, -1);
        EXPECT_EQ(rt_var.tris[i].flags, 3);  // flat and opaque
    }
    for (int i = 12; i < rt_var.n_tri; ++i) {
        EXPECT_EQ(rt_var.tris[i].srf_index, 1);
        EXPECT_EQ(rt_var.tris[i].mat_index, 0);
        EXPECT_EQ(rt_var.tris[i].flags, 0);  // smooth, and transparent
    }
    // The box: 2 x 4 x 6 around (10, 0, 0).
    V3D lo{1e9, 1e9, 1e9}, hi{-1e9, -1e9, -1e9};
    for (int i = 0; i < 8; ++i) {
        const V3D p = rt_var.points[i];
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
    EXPECT_EQ(lo.x + rt_var.pov.x, 9);
    EXPECT_EQ(hi.x + rt_var.pov.x, 11);
    EXPECT_EQ(hi.y - lo.y, 4);
    EXPECT_EQ(hi.z - lo.z, 6);
}

TEST(RoundTrip, SmoothNormalsPointOutOfTheSphereAndAgreeWithTheWinding) {
    InProcess run;
    ASSERT_EQ(load_back(compile_text(run.folder(), kRich)), -1);
    const V3D centre = sub({1, 2, 3}, rt_var.pov);
    for (int i = 12; i < rt_var.n_tri; ++i) {
        const TRIANGLE& t = rt_var.tris[i];
        for (int c = 0; c < 3; ++c) {
            const V3D r = sub(*t.v[c], centre);
            EXPECT_NEAR(dot(r, r), 4.0, 1e-5);  // radius 1, scaled by 2
            EXPECT_NEAR(dot(t.vn[c], r) / 2, 1.0, 1e-4);
        }
        EXPECT_GT(dot(t.nrm, t.vn[0]), 0.5);
    }
    for (int i = 0; i < 12; ++i) EXPECT_GT(dot(rt_var.tris[i].nrm, rt_var.tris[i].vn[0]), 0.99);
}

TEST(RoundTrip, MatricesCarryScenePointsIntoObjectSpaceAndVectorsBack) {
    InProcess run;
    ASSERT_EQ(load_back(compile_text(run.folder(), kRich)), -1);
    // Scale 2, then y turned 90 degrees (z toward x, so x toward -z), then
    // moved by (1, 2, 3): the object's (1, 0, 0) lies at (1, 2, 1).
    V3D object;
    v3d_trnsf({1, 2, 1}, object, rt_var.ptrn_mat[0]);
    EXPECT_NEAR(object.x, 1, 1e-12);
    EXPECT_NEAR(object.y, 0, 1e-12);
    EXPECT_NEAR(object.z, 0, 1e-12);
    EXPECT_EQ(std::memcmp(&rt_var.img_mat[0], &rt_var.ptrn_mat[0], sizeof(MAT4)), 0);
    V3D scene;
    v3d_trnsf({1, 0, 0}, scene, rt_var.bump_mat[0]);  // a vector: no translation
    EXPECT_NEAR(scene.x, 0, 1e-12);
    EXPECT_NEAR(scene.y, 0, 1e-12);
    EXPECT_NEAR(scene.z, -2, 1e-12);
    for (int c = 0; c < 4; ++c) EXPECT_EQ(rt_var.bump_mat[0].m[3][c], 0.0);
}

TEST(RoundTrip, MirroringKeepsWindingAndNormalsTogether) {
    InProcess run;
    const auto scene = compile_text(run.folder(), "{" + kCamera + R"(, "surfaces": {"s": {}}, "objects": [
        {"torus": {"segments": 6, "sides": 4}, "surface": "s", "transform": {"scale": [-1, 1, 2]}},
        {"box": {}, "surface": "s", "smooth": true, "transform": {"scale": [1, -3, 1]}}]})");
    ASSERT_EQ(load_back(scene), -1);
    for (int i = 0; i < rt_var.n_tri; ++i)
        for (int c = 0; c < 3; ++c) EXPECT_GT(dot(rt_var.tris[i].nrm, rt_var.tris[i].vn[c]), 0) << i;
}

TEST(RoundTrip, IdenticallyPlacedObjectsShareOneMatrixTriple) {
    InProcess run;
    const auto scene = compile_text(run.folder(), "{" + kCamera + R"(,
        "surfaces": {"p": {"pattern": {"name": "granite"}}, "b": {"bump": {"name": "dents"}}, "q": {}},
        "objects": [
          {"box": {}, "surface": "p", "transform": {"translate": [1, 0, 0]}},
          {"sphere": {}, "surface": "b", "transform": {"translate": [1, 0, 0]}},
          {"box": {}, "surface": "p", "transform": {"translate": [2, 0, 0]}},
          {"box": {}, "surface": "p", "texture_space": "scene"},
          {"box": {}, "surface": "q", "transform": {"translate": [5, 0, 0]}}]})");
    ASSERT_EQ(load_back(scene), -1);
    EXPECT_EQ(rt_var.n_mat, 2);
    const int first[] = {0, 12, 12 + 2 * 32 * 15, 24 + 2 * 32 * 15, 36 + 2 * 32 * 15};
    EXPECT_EQ(rt_var.tris[first[0]].mat_index, 0);
    EXPECT_EQ(rt_var.tris[first[1]].mat_index, 0);
    EXPECT_EQ(rt_var.tris[first[2]].mat_index, 1);
    EXPECT_EQ(rt_var.tris[first[3]].mat_index, -1);
    EXPECT_EQ(rt_var.tris[first[4]].mat_index, -1);
}

}  // namespace
}  // namespace zy::zyscene::test
