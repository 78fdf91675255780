// Descriptions compiled and read back through the renderer's own loaders.
#include <gtest/gtest.h>

#include "geometry/triangle.h"
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
    zy::test::expect_recorded(zy::test::loaded_settings() + zy::test::loaded_frame(60),
                              fs::path(ZY_TEST_DATA) / "rich.loaded");
}

// Normals turn, scale and mirror with their triangles.
TEST(Placement, NormalsAgreeWithTheWindingOfPlacedObjects) {
    InProcess run;
    const auto scene = compile_text(run.folder(), data_text("placed_objects.json"));
    ASSERT_EQ(load_back(scene), -1);
    for (int i = 0; i < rt_var.n_tri; ++i)
        for (int c = 0; c < 3; ++c) EXPECT_GT(v3d_scal(rt_var.tris[i].nrm, vertex_normal(rt_var.tris[i], c)), 0) << i;
}

}  // namespace
}  // namespace zy::zyscene::test
