// Descriptions compiled and read back through the renderer's own loaders.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>

#include "scene/frame_loader.h"
#include "scene/rt_var.h"
#include "support/loaded_scene.h"
#include "zyscene_fixture.h"

namespace zy::zyscene::test {
namespace {

using zy::test::InProcess;

// rich.json, compiled and loaded.
class RoundTrip : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(load_back(compile_text(run_.folder(), data_text("rich.json"))), -1); }
    InProcess run_;
};

// Every value the renderer reads; the recording says why the less obvious ones are so.
TEST_F(RoundTrip, TheLoadersSeeTheRecordedScene) {
    zy::test::expect_recorded(zy::test::loaded_settings() + zy::test::loaded_frame(0),
                              fs::path(ZY_TEST_DATA) / "rich.loaded");
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

// Normals turn, scale and mirror with their triangles.
TEST(Placement, NormalsAgreeWithTheWindingOfPlacedObjects) {
    InProcess run;
    const auto scene = compile_text(run.folder(), data_text("placed_objects.json"));
    ASSERT_EQ(load_back(scene), -1);
    for (int i = 0; i < rt_var.n_tri; ++i)
        for (int c = 0; c < 3; ++c) EXPECT_GT(v3d_scal(rt_var.tris[i].nrm, rt_var.tris[i].vn[c]), 0) << i;
}

}  // namespace
}  // namespace zy::zyscene::test
