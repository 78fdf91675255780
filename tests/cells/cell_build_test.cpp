// The tree's root and clipping for scenes worked out by hand; the
// division itself is compared with a plain transcription in the tree-equality test.
#include <gtest/gtest.h>

#include "cell_frame.h"
#include "driver/memoire.h"

namespace zy::test {
namespace {

TEST(CellRoot, CubeAroundTheSceneBoxWithTolerances) {
    // The cube's side is the largest extent E, each axis centred on its
    // triangles, grown by E / 2048; the walk step is the root's side / 20480.
    const struct {
        Corners tri;
        double lo[3], hi[3], tolerance, step;
    } cases[] = {
        {{{0, 0, 0}, {2048, 1024, 0}, {0, 0, 512}}, {-1, -513, -769}, {2049, 1537, 1281}, 1.0, 0.10009765625},
        // x in [-10, -4], y in [0, 20], z in [0, 1]; (20 + 2 * 20 / 2048) / 20480 = 1025 / 2^20.
        {{{-10, 0, 0}, {-4, 20, 0}, {-7, 0, 1}}, {-17.009765625, -0.009765625, -9.509765625},
         {3.009765625, 20.009765625, 10.509765625}, 0.009765625, 1025.0 / (1 << 20)},
    };
    for (const auto& c : cases) {
        CellFrame frame({c.tri});
        testing::internal::CaptureStdout();
        frame.build();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "Start Pass 2 please wait\nPass 2 success\n");
        for (int a = 0; a < 3; ++a) EXPECT_TRUE(scene_cell.min[a] == c.lo[a] && scene_cell.max[a] == c.hi[a]) << a;
        EXPECT_TRUE(cell_tolerance[0] == c.tolerance && cell_tolerance[10] == c.tolerance / 1024);
        EXPECT_EQ(scene_t, c.step);
        EXPECT_TRUE(scene_cell.leaf == 1 && scene_cell.level == 0 && scene_cell.count == 1);
        EXPECT_EQ(scene_cell.tris[0], frame.tri(0));
    }
}

TEST(CellRoot, EmptyFrameHasAnInvertedRootThatNoRayEnters) {
    CellFrame frame({});
    frame.build();
    const Scene scene = frame.scene();
    for (int a = 0; a < 3; ++a) EXPECT_GT(scene_cell.min[a], scene_cell.max[a]);
    EXPECT_EQ(rt_find_cell(scene, {0, 0, 0}), nullptr);
    RT_RAY ray = ray_from(scene, {0, 0, 0}, {0.3, 0.2, 1});
    EXPECT_EQ(rt_cell_first(scene, ray), nullptr);
    V3D hit;
    double t;
    EXPECT_EQ(rt_find_tri(scene, ray, nullptr, hit, t), nullptr);
}

TEST(CellMemory, RootArrayFailureStopsWithMemoryError) {
    CellFrame frame({tiny_at({0, 0, 0}), kFarCorner});
    memoire_fail_after(0);
    EXPECT_EQ(stop_error_of([&] { frame.build(); }), 1);
    memoire_fail_after(-1);
}

TEST(TriangleClip, OverlapWithTheGrownBox) {
    CellFrame frame({
        {{0.6, 2, 0.5}, {2, 0.6, 0.5}, {2, 2, 0.5}},        // 0: box overlaps, x + y >= 2.6 misses the corner
        {{0.5, 1.6, 0.5}, {1.6, 0.5, 0.5}, {2, 2, 0.5}},    // 1: x + y >= 2.1 cuts the grown corner (2.25)
        {{1.125, 0.5, 0.5}, {2, 0.5, 0.6}, {2, 0.6, 0.5}},  // 2: touches the grown face in one point
        {{1.125, 0, 0}, {1.125, 1, 0}, {1.125, 0, 1}},      // 3: lies in the grown face
        {{1, 0, 0}, {1, 1, 0}, {1, 0, 1}},                  // 4: lies in the real face
        {{-10, -10, 0.5}, {10, -10, 0.5}, {0, 10, 0.5}},    // 5: no corner inside, covers the section
        {{1.1, 0, 0}, {1.1, 1, 0}, {1.1, 0, 1}},            // 6: beyond the face by less than tau
        {{0.5, 0.5, -3}, {0.5, 0.5, 3}, {0.5, 0.5, 0}},     // 7: degenerate, a segment through the box
    });
    // The unit cube at levels 0 and 1: the cell's own level selects the tolerance.
    CELL cell = cube_leaf(0, 1);
    cell_tolerance[0] = 0.125;
    cell_tolerance[1] = 0.0625;
    const int16_t expected[8] = {0, 1, 0, 0, 1, 1, 1, 1};
    for (int k = 0; k < 8; ++k) EXPECT_EQ(rt_tri_clip(*frame.tri(k), cell), expected[k]) << k;
    cell.level = 1;
    EXPECT_EQ(rt_tri_clip(*frame.tri(6), cell), 0);
    EXPECT_EQ(rt_tri_clip(*frame.tri(4), cell), 1);
}

}  // namespace
}  // namespace zy::test
