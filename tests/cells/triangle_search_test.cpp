// The nearest-triangle search where the cross-check cannot reach: distances
// near the limits, ties, the grown cell and the floor.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "cell_frame.h"

namespace zy::test {
namespace {

// A large triangle in the plane z = z0 around the z axis.
Corners wall_at(double z0) { return {{-10, -10, z0}, {10, -10, z0}, {0, 10, z0}}; }

struct Found {
    const TRIANGLE* tri;
    double t;
    V3D hit;
    RT_RAY ray;
};

// A search in the frame with its built tree.
Found search(CellFrame& frame, const V3D& org, const V3D& dir, const TRIANGLE* exclude = nullptr) {
    const Scene scene = frame.scene();
    Found f{nullptr, kFltMax, {}, ray_from(scene, org, dir)};
    f.tri = rt_find_tri(scene, f.ray, exclude, f.hit, f.t);
    return f;
}

// Nearest hits, exclusions and misses of generic rays are cross-checked on random scenes.
TEST(TriangleSearch, HitsTooNearOrParallelAreSkipped) {
    CellFrame frame({wall_at(5), wall_at(6)});
    frame.build();
    EXPECT_NEAR(search(frame, {0, 0, 0}, {0, 0, 1}).t, 5.0, 1e-9);
    // 1e-8 ahead is below the smallest accepted distance, 1e-6 is not.
    EXPECT_EQ(search(frame, {0, 0, 5 - 1e-8}, {0, 0, 1}).tri, frame.tri(1));
    EXPECT_EQ(search(frame, {0, 0, 5 - 1e-6}, {0, 0, 1}).tri, frame.tri(0));

    // Plane x = y: the normal is (1, -1, 0)/sqrt 2, so a direction with equal x
    // and y gives a denominator of exactly 0.
    CellFrame slanted(std::vector<Corners>{{{0, 0, 0}, {1, 1, 0}, {0, 0, 1}}});
    slanted.build();
    EXPECT_EQ(search(slanted, {-0.5, -0.5001, 0.5}, {1, 1, 0}).tri, nullptr);
}

TEST(TriangleSearch, EqualDistancesGoToTheEarlierTriangle) {
    for (double second : {5.0, 5 - 1e-9}) {
        CellFrame frame({wall_at(5), wall_at(second)});
        frame.build();
        EXPECT_EQ(search(frame, {0, 0, 0}, {0, 0, 1}).tri, frame.tri(second == 5.0 ? 0 : 1));
    }
}

TEST(TriangleSearch, HitCountsWithinTheCellGrownByItsTolerance) {
    // A unit cell with tolerance 0.01 and walls just beyond its bottom and top.
    const struct {
        double below, above, dz;
        int found;
    } cases[] = {{-0.005, 1.02, -1, 0}, {-0.005, 1.02, 1, -1}, {-0.02, 1.005, -1, -1}, {-0.02, 1.005, 1, 1}};
    for (const auto& c : cases) {
        CellFrame frame({wall_at(c.below), wall_at(c.above)});
        const TRIANGLE* both[2] = {frame.tri(0), frame.tri(1)};
        const CELL cell = cube_leaf(0, 1, both, 2);
        frame.records().cell_tolerance[0] = 0.01;
        const Scene scene = frame.records().scene();
        RT_RAY ray = ray_from(scene, {0.5, 0.5, 0.5}, {0, 0, c.dz});
        double t;
        const TRIANGLE* found = rt_cell_find_tri(scene, cell, ray, nullptr, t);
        EXPECT_EQ(found == nullptr ? -1 : frame.index_of(found), c.found) << c.below << " " << c.dz;
    }
}

// A triangle x, z in [-1, 1] (x + z <= 0) at height y0, the floor at -0.05;
// the floor's own misses are checked with the floor.
TEST(FloorSearch, FloorIsHitFromAboveAndBelowAndLosesTies) {
    for (double y0 : {-0.05, -0.06}) {
        CellFrame frame({{{-1, y0, -1}, {-1, y0, 1}, {1, y0, -1}}, tiny_at({5, 5, 5})});
        frame.build();
        frame.set_floor(-0.05, 1000);
        // Over the triangle: in the floor plane it wins the tie; below it the floor is nearer.
        EXPECT_EQ(search(frame, {-0.3, 1, -0.2}, {0, -1, 0}).tri, y0 == -0.05 ? frame.tri(0) : frame.floor()) << y0;
        const Found f = search(frame, {3, 1, 0}, {0, -1, 0});
        ASSERT_EQ(f.tri, frame.floor());
        EXPECT_NEAR(f.hit.y, -0.05, 1e-12);
        EXPECT_NEAR(f.t, 1.05, 1e-9);
        EXPECT_EQ(search(frame, {3, -1, 0}, {0, 1, 0}).tri, frame.floor());
        EXPECT_EQ(search(frame, {3, 1, 0}, {0, -1, 0}, frame.floor()).tri, nullptr);
    }
}

}  // namespace
}  // namespace zy::test
