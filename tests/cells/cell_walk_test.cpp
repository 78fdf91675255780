// Ray set-up, point location and the cell-to-cell walk on a hand-made tree;
// the search cross-check covers the entry and exit faces of generic rays.
#include <gtest/gtest.h>

#include <cmath>

#include "cell_frame.h"

namespace zy::test {
namespace {

TEST(RayInit, EveryComponentGetsASignTheDirectionUnitLengthAndTheMarksAreCleared) {
    CellFrame frame({tiny_at({0, 0, 0}), tiny_at({1, 0, 0}), tiny_at({2, 0, 0})});
    TraceState& ts = frame.trace();
    ts.ray_mark[0] = kMarkTested | kMarkHit;
    ts.ray_mark[2] = kMarkTested;
    ts.tri_taged[0] = 0;
    ts.tri_taged[1] = 2;
    ts.tri_taged_n = 2;
    scene_t = 0.5;
    RT_RAY ray = ray_from(ts, {1, 2, 3}, {0, 0, 1});
    EXPECT_TRUE(ts.tri_taged_n == 0 && ts.ray_mark[0] == 0 && ts.ray_mark[2] == 0);
    // Zero components are widened to a tiny positive one.
    constexpr double kWidened = 1.192093e-06;
    const double len = std::sqrt(kWidened * kWidened + kWidened * kWidened + 1.0);
    EXPECT_TRUE(ray.dir.x == kWidened / len && ray.dir.y == kWidened / len && ray.dir.z == 1.0 / len);
    EXPECT_TRUE(ray.sgn[0] == 1 && ray.sgn[1] == 1 && ray.sgn[2] == 1);
    EXPECT_EQ(ray.seg_dir.z, ray.dir.z * 0.5);
    EXPECT_EQ(ray.seg_org.y, 2.0);
    // A tiny negative component keeps its sign; a large one is only scaled.
    ray = ray_from(ts, {0, 0, 0}, {-1e-9, 0, -2});
    EXPECT_TRUE(ray.dir.x < 0 && ray.dir.y > 0);
    EXPECT_NEAR(ray.dir.z, -1.0, 1e-11);
    EXPECT_TRUE(ray.sgn[0] == -1 && ray.sgn[1] == 1 && ray.sgn[2] == -1);
}

// The root (0,0,0)-(8,8,8) divided once at (4,4,4), as a tree built by hand.
class SplitCube : public testing::Test {
protected:
    SplitCube() : frame_({}) {
        scene_cell = CELL{};
        for (int a = 0; a < 3; ++a) {
            scene_cell.max[a] = 8;
            scene_cell.mid[a] = 4;
        }
        for (int i = 0; i < 8; ++i) {
            kids_[i].leaf = 1;
            kids_[i].level = 1;
            for (int a = 0; a < 3; ++a) {
                kids_[i].min[a] = (i >> a) & 1 ? 4 : 0;
                kids_[i].max[a] = (i >> a) & 1 ? 8 : 4;
            }
            scene_cell.child[i] = &kids_[i];
        }
        scene_t = 8.0 / 20480;
    }
    ~SplitCube() override { scene_cell = CELL{}; }

    RT_RAY ray(const V3D& org, const V3D& dir) { return ray_from(frame_.trace(), org, dir); }
    const CELL* kid(int i) const { return &kids_[i]; }

    CellFrame frame_;
    CELL kids_[8]{};
};

TEST_F(SplitCube, PointsFindTheirLeafAndSplitPlanesGoLow) {
    const std::pair<V3D, int> cases[] = {{{5, 3, 4}, 1}, {{4, 4, 4}, 0},     {{8, 8, 8}, 7},     {{0, 0, 0}, 0},
                                         {{4.5, 4.5, 3}, 3}, {{8.001, 0, 0}, -1}, {{1, -1e-12, 1}, -1}};
    for (auto [p, leaf] : cases) EXPECT_EQ(rt_find_cell(p), leaf < 0 ? nullptr : kid(leaf)) << p.x << " " << p.y;
}

TEST_F(SplitCube, WalkVisitsTheLeavesFrontToBack) {
    RT_RAY r = ray({-2, 1, 1}, {1, 0, 0});
    EXPECT_EQ(rt_cell_first(r), kid(0));
    EXPECT_GT(r.seg_org.x, 0.0);
    EXPECT_EQ(rt_cell_next(r), kid(1));
    EXPECT_EQ(r.cell, kid(1));
    EXPECT_EQ(rt_cell_next(r), nullptr);
    r = ray({7, 7, 7}, {-1, -1, -1});  // starts inside, crosses the centre diagonally
    EXPECT_EQ(rt_cell_first(r), kid(7));
    EXPECT_EQ(rt_cell_next(r), kid(0));
    r = ray({-2, 1, 1}, {-1, 0, 0});  // starts outside, points away
    EXPECT_EQ(rt_cell_first(r), nullptr);
    EXPECT_EQ(r.cell, nullptr);

    // Without a step a walk point on the split plane stays there, and the plane
    // belongs to the lower cell: going up the walk cannot leave the cell and
    // ends; going down it has reached the next cell.
    scene_t = 0;
    RT_RAY up = ray({1, 1, 1}, {1, 0, 0});
    up.seg_org = {4, 1, 1};
    up.cell = kid(0);
    EXPECT_EQ(rt_cell_next(up), nullptr);
    EXPECT_EQ(up.cell, nullptr);
    RT_RAY down = ray({7, 1, 1}, {-1, 0, 0});
    down.seg_org = {4, 1, 1};
    down.cell = kid(1);
    EXPECT_EQ(rt_cell_next(down), kid(0));
    EXPECT_EQ(down.cell, kid(0));
}

}  // namespace
}  // namespace zy::test
