// The tree's shape for scenes whose division can be worked out by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "cell_frame.h"
#include "driver/memoire.h"

namespace zy::test {
namespace {

std::vector<int> indices_in(const CellFrame& frame, const CELL& cell) {
    std::vector<int> out;
    for (int32_t k = 0; k < cell.count; ++k) out.push_back(frame.index_of(cell.tris[k]));
    return out;
}

TEST(CellThresholds, TableGrowsByTheRateAndRounds) {
    rt_cell_init_tht(12, 4.0);
    const int16_t expected[11] = {12, 15, 19, 24, 30, 38, 48, 60, 75, 94, 0};
    for (int level = 0; level < 11; ++level) EXPECT_EQ(cell_threshold_table[level], expected[level]) << level;

    // 10, 10/2+10+.5 = 15.5 -> 15, 15/2+15+.5 = 23, then 35, 53, 80, 120, 180, 270, 405.
    rt_cell_init_tht(10, 2.0);
    const int16_t halved[10] = {10, 15, 23, 35, 53, 80, 120, 180, 270, 405};
    for (int level = 0; level < 10; ++level) EXPECT_EQ(cell_threshold_table[level], halved[level]) << level;
    rt_cell_init_tht(12, 4.0);
}

TEST(CellRoot, CubeAroundTheSceneBoxWithTolerances) {
    CellFrame frame(std::vector<Corners>{{{0, 0, 0}, {2048, 1024, 0}, {0, 0, 512}}});
    frame.build();
    EXPECT_EQ(cell_tolerance[0], 1.0);
    EXPECT_EQ(cell_tolerance[9], 1.0 / 512);
    EXPECT_EQ(cell_tolerance[10], 1.0 / 1024);
    const double lo[3] = {-1, -513, -769}, hi[3] = {2049, 1537, 1281};
    for (int a = 0; a < 3; ++a) {
        EXPECT_EQ(scene_cell.min[a], lo[a]) << a;
        EXPECT_EQ(scene_cell.max[a], hi[a]) << a;
    }
    EXPECT_EQ(scene_t, 0.10009765625);
    EXPECT_EQ(scene_cell.leaf, 1);
    EXPECT_EQ(scene_cell.level, 0);
    ASSERT_EQ(scene_cell.count, 1);
    EXPECT_EQ(scene_cell.tris[0], frame.tri(0));
}

TEST(CellRoot, NegativeAxisIsCentredOnItsTriangles) {
    // x in [-10, -4], y in [0, 20] (E = 20, tolerance 20/2048): x centred on -7.
    CellFrame frame(std::vector<Corners>{{{-10, 0, 0}, {-4, 20, 0}, {-7, 0, 1}}});
    frame.build();
    EXPECT_EQ(scene_cell.min[0], -17.009765625);
    EXPECT_EQ(scene_cell.max[0], 3.009765625);
    EXPECT_EQ(scene_cell.min[1], -0.009765625);
    EXPECT_EQ(scene_cell.max[1], 20.009765625);
}

TEST(CellRoot, PrintsThePassLines) {
    CellFrame frame({tiny_at({1, 1, 1})});
    testing::internal::CaptureStdout();
    frame.build();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Start Pass 2 please wait\nPass 2 success\n");
}

TEST(CellRoot, EmptyFrameHasAnInvertedRootThatNoRayEnters) {
    CellFrame frame({});
    frame.build();
    for (int a = 0; a < 3; ++a) EXPECT_GT(scene_cell.min[a], scene_cell.max[a]);
    EXPECT_EQ(rt_find_cell({0, 0, 0}), nullptr);
    RT_RAY ray = ray_from(frame.trace(), {0, 0, 0}, {0.3, 0.2, 1});
    EXPECT_EQ(rt_cell_first(ray), nullptr);
    V3D hit;
    EXPECT_EQ(rt_find_tri(frame.trace(), ray, nullptr, hit), nullptr);
}

// n tiny triangles: two at opposite corners of [0, 8]^3 fixing the box, the
// others inside octant 0, away from its split planes.
std::vector<Corners> spread(int n) {
    std::vector<Corners> out = {tiny_at({0, 0, 0}), {{8, 8, 8}, {7.99, 8, 8}, {8, 7.99, 8}}};
    for (int k = 2; k < n; ++k) out.push_back(tiny_at({1.0 + 0.5 * (k % 6), 1.0 + 0.25 * (k % 5), 1.3 + 0.1 * k}));
    return out;
}

TEST(CellDivision, RootDividesFromTwelveTriangles) {
    {
        CellFrame frame(spread(11));
        frame.build();
        EXPECT_EQ(scene_cell.leaf, 1);
        EXPECT_EQ(scene_cell.count, 11);
    }
    CellFrame frame(spread(12));
    frame.build();
    EXPECT_EQ(scene_cell.leaf, 0);
    EXPECT_EQ(scene_cell.count, 0);
    EXPECT_EQ(scene_cell.tris, nullptr);
    for (int a = 0; a < 3; ++a) EXPECT_EQ(scene_cell.mid[a], 4.0);
    // Each tiny triangle lies well inside one octant, which holds it alone.
    int references = 0;
    for (const CELL* kid : scene_cell.child) {
        EXPECT_EQ(kid->level, 1);
        EXPECT_EQ(kid->leaf, 1);
        references += kid->count;
    }
    EXPECT_EQ(references, 12);
    const CELL* far = scene_cell.child[7];
    EXPECT_EQ(far->min[0], 4.0);
    EXPECT_EQ(far->max[0], scene_cell.max[0]);
    ASSERT_EQ(far->count, 1);
    EXPECT_EQ(far->tris[0], frame.tri(1));
}

// Cluster of n tiny triangles in octant 0 of [0, 8]^3, one more at the far corner.
std::vector<Corners> cluster_in_first_octant(int n) {
    std::vector<Corners> out = {{{8, 8, 8}, {7.99, 8, 8}, {8, 7.99, 8}}};
    for (int k = 0; k < n; ++k) out.push_back(tiny_at({0.1 * k, 0.05 * k, 0.03 * k}));
    return out;
}

TEST(CellDivision, LevelOneChildDividesFromFifteen) {
    {
        CellFrame frame(cluster_in_first_octant(14));
        frame.build();
        const CELL* kid = scene_cell.child[0];
        EXPECT_EQ(kid->leaf, 1);
        EXPECT_EQ(kid->count, 14);
    }
    CellFrame frame(cluster_in_first_octant(15));
    frame.build();
    const CELL* kid = scene_cell.child[0];
    EXPECT_EQ(kid->leaf, 0);
    EXPECT_EQ(kid->count, 0);
    for (const CELL* grandchild : kid->child) EXPECT_EQ(grandchild->level, 2);
}

// n tiny triangles packed around one point, far from every split plane down to
// level 10, plus two corner triangles fixing the box [0, 1]^3.
std::vector<Corners> tight_cluster(int n) {
    std::vector<Corners> out = {tiny_at({0, 0, 0}, 1e-3), {{1, 1, 1}, {0.999, 1, 1}, {1, 0.999, 1}}};
    for (int k = 0; k < n; ++k) out.push_back(tiny_at({0.3183 + 1e-7 * k, 0.2718 + 1e-7 * k, 0.1414}, 1e-7));
    return out;
}

TEST(CellDivision, LevelNineCellDividesFromNinetyFour) {
    const V3D inside{0.3183 + 2e-7, 0.2718 + 1e-7, 0.1414};
    {
        CellFrame frame(tight_cluster(93));
        frame.build();
        const CELL* leaf = rt_find_cell(inside);
        ASSERT_NE(leaf, nullptr);
        EXPECT_EQ(leaf->level, 9);
        EXPECT_EQ(leaf->count, 93);
    }
    CellFrame frame(tight_cluster(94));
    frame.build();
    const CELL* leaf = rt_find_cell(inside);
    ASSERT_NE(leaf, nullptr);
    // Level-10 children are never divided, whatever their count.
    EXPECT_EQ(leaf->level, 10);
    EXPECT_EQ(leaf->leaf, 1);
    EXPECT_EQ(leaf->count, 94);
}

TEST(CellDivision, TriangleInASplitPlaneBelongsToBothSides) {
    std::vector<Corners> corners = spread(12);
    corners.push_back({{4, 1, 1}, {4, 2, 1}, {4, 1, 2}});               // in x = mid.x
    corners.push_back({{4.05, 1, 1.5}, {4.05, 2, 1.5}, {4.05, 1, 2.5}});  // beyond the growth
    CellFrame frame(corners);
    frame.build();
    ASSERT_EQ(scene_cell.leaf, 0);
    const std::vector<int> lower = indices_in(frame, *scene_cell.child[0]);
    const std::vector<int> upper = indices_in(frame, *scene_cell.child[1]);
    EXPECT_NE(std::find(lower.begin(), lower.end(), 12), lower.end());
    EXPECT_NE(std::find(upper.begin(), upper.end(), 12), upper.end());
    EXPECT_EQ(std::find(lower.begin(), lower.end(), 13), lower.end());
    EXPECT_NE(std::find(upper.begin(), upper.end(), 13), upper.end());
    EXPECT_TRUE(std::is_sorted(upper.begin(), upper.end()));
}

TEST(CellMemory, RootArrayFailureStopsWithMemoryError) {
    CellFrame frame(spread(12));
    memoire_fail_after(0);
    EXPECT_EQ(stop_error_of([&] { frame.build(); }), 1);
    memoire_fail_after(-1);
}

// Unit cube cell of the given level with the tolerance tau.
CELL unit_cell(int level, double tau) {
    CELL cell{};
    cell.leaf = 1;
    cell.level = static_cast<int8_t>(level);
    for (int a = 0; a < 3; ++a) {
        cell.min[a] = 0;
        cell.max[a] = 1;
    }
    cell_tolerance[level] = tau;
    return cell;
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
    const CELL cell = unit_cell(0, 0.125);
    const int16_t expected[8] = {0, 1, 0, 0, 1, 1, 1, 1};
    for (int k = 0; k < 8; ++k) EXPECT_EQ(rt_tri_clip(*frame.tri(k), cell), expected[k]) << k;

    // The cell's own level selects the tolerance.
    const CELL deeper = unit_cell(1, 0.0625);
    EXPECT_EQ(rt_tri_clip(*frame.tri(6), deeper), 0);
    EXPECT_EQ(rt_tri_clip(*frame.tri(4), deeper), 1);
}

}  // namespace
}  // namespace zy::test
