// Ray set-up, point location and the cell-to-cell walk on a hand-made tree.
#include <gtest/gtest.h>

#include <cmath>

#include "cell_frame.h"

namespace zy::test {
namespace {

constexpr double kWidened = 1.192093e-06;

// The root (0,0,0)-(8,8,8) divided once at (4,4,4), as a tree built by hand.
class SplitCube : public testing::Test {
protected:
    SplitCube() : frame_({}) {
        scene_cell = CELL{};
        for (int a = 0; a < 3; ++a) {
            scene_cell.min[a] = 0;
            scene_cell.max[a] = 8;
            scene_cell.mid[a] = 4;
        }
        for (int i = 0; i < 8; ++i) {
            CELL& kid = kids_[i];
            kid = CELL{};
            kid.leaf = 1;
            kid.level = 1;
            for (int a = 0; a < 3; ++a) {
                const bool upper = (i >> a) & 1;
                kid.min[a] = upper ? 4 : 0;
                kid.max[a] = upper ? 8 : 4;
            }
            scene_cell.child[i] = &kid;
        }
        scene_t = 8.0 / 20480;
    }
    ~SplitCube() override { scene_cell = CELL{}; }

    RT_RAY ray(const V3D& org, const V3D& dir) { return ray_from(frame_.trace(), org, dir); }
    const CELL* kid(int i) const { return &kids_[i]; }

    CellFrame frame_;
    CELL kids_[8];
};

TEST(RayInit, EveryComponentGetsASignAndTheDirectionUnitLength) {
    CellFrame frame({});
    scene_t = 0.5;
    RT_RAY ray = ray_from(frame.trace(), {1, 2, 3}, {0, 0, 1});
    const double len = std::sqrt(kWidened * kWidened + kWidened * kWidened + 1.0);
    EXPECT_EQ(ray.dir.x, kWidened / len);
    EXPECT_EQ(ray.dir.y, kWidened / len);
    EXPECT_EQ(ray.dir.z, 1.0 / len);
    EXPECT_EQ(ray.sgn[0], 1);
    EXPECT_EQ(ray.sgn[1], 1);
    EXPECT_EQ(ray.sgn[2], 1);
    EXPECT_EQ(ray.seg_dir.z, ray.dir.z * 0.5);
    EXPECT_EQ(ray.seg_org.y, 2.0);

    // A tiny negative component keeps its sign; a large one is only scaled.
    ray = ray_from(frame.trace(), {0, 0, 0}, {-1e-9, 0, -2});
    EXPECT_LT(ray.dir.x, 0);
    EXPECT_GT(ray.dir.y, 0);
    EXPECT_NEAR(ray.dir.z, -1.0, 1e-11);
    EXPECT_EQ(ray.sgn[0], -1);
    EXPECT_EQ(ray.sgn[1], 1);
    EXPECT_EQ(ray.sgn[2], -1);
}

TEST(RayInit, ClearsTheMarksOfTheTaggedTriangles) {
    CellFrame frame({tiny_at({0, 0, 0}), tiny_at({1, 0, 0}), tiny_at({2, 0, 0})});
    TraceState& ts = frame.trace();
    ts.ray_mark[0] = kMarkTested | kMarkHit;
    ts.ray_mark[2] = kMarkTested;
    ts.tri_taged[0] = 0;
    ts.tri_taged[1] = 2;
    ts.tri_taged_n = 2;
    ray_from(ts, {0, 0, 0}, {1, 1, 1});
    EXPECT_EQ(ts.tri_taged_n, 0);
    EXPECT_EQ(ts.ray_mark[0], 0);
    EXPECT_EQ(ts.ray_mark[2], 0);
}

TEST_F(SplitCube, PointsFindTheirLeafAndSplitPlanesGoLow) {
    EXPECT_EQ(rt_find_cell({5, 3, 4}), kid(1));
    EXPECT_EQ(rt_find_cell({4, 4, 4}), kid(0));
    EXPECT_EQ(rt_find_cell({8, 8, 8}), kid(7));
    EXPECT_EQ(rt_find_cell({0, 0, 0}), kid(0));
    EXPECT_EQ(rt_find_cell({4.5, 4.5, 3}), kid(3));
    EXPECT_EQ(rt_find_cell({8.001, 0, 0}), nullptr);
    EXPECT_EQ(rt_find_cell({1, -1e-12, 1}), nullptr);
}

TEST_F(SplitCube, EntryIsTheNearestFaceAheadWhosePointLiesOnTheBox) {
    // From (-2, -1, 4) along (1, 1, 0): the plane x = 0 is met at y = 1 (on the
    // box); the plane y = 0 is met earlier, at x = -1 (off the box).
    RT_RAY r = ray({-2, -1, 4}, {1, 1, 0});
    double t = 0;
    EXPECT_EQ(rt_cell_o_intersect(scene_cell, r, t), 1);
    EXPECT_EQ(t, (0 - (-2)) / r.dir.x);
    EXPECT_NEAR(t, 2 * std::sqrt(2.0), 1e-9);

    r = ray({-2, 9, 4}, {1, 0, 0});  // passes above the box
    EXPECT_EQ(rt_cell_o_intersect(scene_cell, r, t), 0);
    EXPECT_EQ(t, kFltMax);
    r = ray({-2, 1, 1}, {-1, 0, 0});  // points away
    EXPECT_EQ(rt_cell_o_intersect(scene_cell, r, t), 0);
}

TEST_F(SplitCube, ExitIsTheNearestFaceAheadOfTheWalkPoint) {
    RT_RAY r = ray({1, 1, 1}, {1, 0.5, 0.25});
    double t = 0;
    EXPECT_EQ(rt_cell_i_intersect(*kid(0), r, t), 1);
    EXPECT_EQ(t, (4 - 1) / r.dir.x);
    r = ray({1, 3.5, 1}, {1, 0.5, 0.25});  // y = 4 comes first
    EXPECT_EQ(rt_cell_i_intersect(*kid(0), r, t), 1);
    EXPECT_EQ(t, (4 - 3.5) / r.dir.y);
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
}

TEST_F(SplitCube, WalkEndsWhenTheStepCannotLeaveTheCell) {
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
