// Leaf bounds against the exact triangle test: no leaf holding a triangle that
// the test reports a hit for (in its grown box, for the nearest search) is
// ever passed by, on frames built to stress the rounding (snapped corners,
// rays through corners and along edges, far origins, offsets, slivers),
// while most leaves a ray misses are passed.
#include <gtest/gtest.h>

#include <random>

#include "cell_frame.h"
#include "cells/leaf_bounds.h"
#include "cells/reference_hits.h"

namespace zy::test {
namespace {

struct Tally {
    long hit_leaves = 0;
    long missed_leaves = 0;
    long passed = 0;
    long hits_off_the_corners_box = 0;  // hits the rounding puts outside their triangle's own box
};

bool outside_corners_box(const TRIANGLE& tri, const V3D& p) {
    double lo[3], hi[3];
    triangle_box(tri, lo, hi);
    const double c[3] = {p.x, p.y, p.z};
    for (int a = 0; a < 3; ++a)
        if (c[a] < lo[a] || c[a] > hi[a]) return true;
    return false;
}

// Whether the nearest search takes a hit at p in the cell: its grown box.
bool in_grown_box(const Scene& scene, const CELL& cell, const V3D& p) {
    const double tau = scene.cell_tolerance[cell.level];
    const double c[3] = {p.x, p.y, p.z};
    for (int a = 0; a < 3; ++a)
        if (!(cell.min[a] - tau <= c[a] && c[a] <= cell.max[a] + tau)) return false;
    return true;
}

void check_ray(const Scene& scene, const RT_RAY& ray, Tally& tally) {
    const LeafBoundsTest bounds(ray);
    for (const CELL* cell : cells_of(scene.root)) {
        if (!cell->leaf || cell->count == 0) continue;
        bool hit = false;
        bool taken = false;
        for (int32_t k = 0; k < cell->count; ++k) {
            for (const HitRule rule : {HitRule::kNearest, HitRule::kShadow}) {
                double t;
                if (!triangle_hit(rule, *cell->tris[k], ray, kFltMax, t)) continue;
                hit = true;
                const V3D p{ray.org.x + t * ray.dir.x, ray.org.y + t * ray.dir.y, ray.org.z + t * ray.dir.z};
                tally.hits_off_the_corners_box += outside_corners_box(*cell->tris[k], p);
                taken = taken || (rule == HitRule::kNearest && in_grown_box(scene, *cell, p));
            }
        }
        const bool may = bounds.may_hit(*cell);
        const auto where = [&ray] {  // built only for a failure
            return "org " + std::to_string(ray.org.x) + " " + std::to_string(ray.org.y) + " " +
                   std::to_string(ray.org.z) + " dir " + std::to_string(ray.dir.x) + " " + std::to_string(ray.dir.y) +
                   " " + std::to_string(ray.dir.z);
        };
        ASSERT_TRUE(!taken || bounds.may_hit_in_grown_box(*cell, scene.cell_tolerance[cell->level]))
            << "a leaf with a hit in its grown box was passed: " << where();
        if (hit) {
            ++tally.hit_leaves;
            ASSERT_TRUE(may) << "a leaf with a hit was passed: " << where();
        } else {
            ++tally.missed_leaves;
            tally.passed += !may;
        }
    }
}

V3D blend(const TRIANGLE& tri, double u, double v) {
    const V3D &a = *tri.v[0], &b = *tri.v[1], &c = *tri.v[2];
    const double w = 1.0 - u - v;
    return {w * a.x + u * b.x + v * c.x, w * a.y + u * b.y + v * c.y, w * a.z + u * b.z + v * c.z};
}

// Rays at corners, edge points and inner points of the frame's triangles,
// from origins near and far, some along the axes and some grazing.
Tally aim_at_triangles(CellFrame& frame, std::mt19937& rng, double far, int rays) {
    frame.build();
    const Scene scene = frame.scene();
    std::uniform_real_distribution<double> unit(0.0, 1.0), spread(-1.0, 1.0);
    std::uniform_int_distribution<int> pick(0, frame.size() - 1);
    Tally tally;
    for (int r = 0; r < rays && !::testing::Test::HasFatalFailure(); ++r) {
        const TRIANGLE& target = *frame.tri(pick(rng));
        const double u = r % 4 == 0 ? 0.0 : unit(rng);
        const double v = r % 4 == 0 ? (r % 8 == 0 ? 1.0 : 0.0) : r % 4 == 1 ? 0.0 : unit(rng) * (1.0 - u);
        const V3D aim = blend(target, u, v);
        V3D dir{spread(rng), spread(rng), spread(rng)};
        if (r % 5 == 0) dir = {0.0, 0.0, r % 10 == 0 ? 1.0 : -1.0};
        if (r % 7 == 0) {  // nearly along the triangle's plane
            const V3D& n = target.nrm;
            const double along = v3d_scal(dir, n);
            const double lean = along - 1e-9;
            dir = {dir.x - lean * n.x, dir.y - lean * n.y, dir.z - lean * n.z};
        }
        const double back = r % 3 == 0 ? far : r % 3 == 1 ? 1e-4 * unit(rng) : 1.0 + unit(rng);
        const V3D org{aim.x - back * dir.x, aim.y - back * dir.y, aim.z - back * dir.z};
        check_ray(scene, ray_from(scene, org, dir), tally);
    }
    return tally;
}

// A tube of quads around the z axis: a smooth surface whose leaves hold
// nearly parallel triangles, moved and scaled.
std::vector<Corners> tube(int around, int along, double scale, const V3D& offset) {
    std::vector<Corners> out;
    const auto at = [&](int i, int j) {
        const double a = 2 * kPi * i / around;
        return V3D{offset.x + scale * std::cos(a), offset.y + scale * std::sin(a), offset.z + scale * 4.0 * j / along};
    };
    for (int i = 0; i < around; ++i) {
        for (int j = 0; j < along; ++j) {
            out.push_back({at(i, j), at(i + 1, j), at(i + 1, j + 1)});
            out.push_back({at(i, j), at(i + 1, j + 1), at(i, j + 1)});
        }
    }
    return out;
}

TEST(LeafBounds, NoLeafWithAHitIsPassed) {
    std::mt19937 rng(11);
    struct Case {
        const char* name;
        std::vector<Corners> corners;
        double far;
    };
    std::vector<Case> cases;
    cases.push_back({"random", random_triangles(rng, 600, 8.0, 1.0), 1e3});
    // Corners on a grid of floats: the bounds gain nothing from their rounding to floats.
    cases.push_back({"snapped", random_triangles(rng, 600, 8.0, 1.0, 1.0 / 64), 1e8});
    // One leaf whose box is its triangle's: hits at the corners lie on its faces.
    cases.push_back({"lone", {{{0.25, 0.5, 0.125}, {1.5, 0.75, 0.375}, {0.625, 1.25, 0.875}}}, 1e12});
    cases.push_back({"tube", tube(48, 24, 1.0, {0, 0, 0}), 1e4});
    cases.push_back({"far off", tube(48, 24, 1e-2, {1e3, -2e3, 5e2}), 1e5});
    cases.push_back({"small", tube(48, 24, 1e-5, {1e-5, 0, 0}), 1e-2});
    for (Case& c : cases) {
        CellFrame frame(c.corners);
        const Tally tally = aim_at_triangles(frame, rng, c.far, 800);
        ASSERT_FALSE(::testing::Test::HasFatalFailure()) << c.name;
        EXPECT_GT(tally.hit_leaves, 200) << c.name;
        EXPECT_GT(tally.hits_off_the_corners_box, 0) << c.name << ": the rounding was not exercised";
        if (c.corners.size() > 1000) {
            EXPECT_GT(tally.passed * 2, tally.missed_leaves) << c.name << ": the bounds should pass most leaves";
        }
    }
}

TEST(LeafBounds, ThinDegenerateAndEnormousTrianglesLeaveTheirLeafUnbounded) {
    const Corners fine{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    const Corners thin{{0, 0, 1}, {1, 0, 1}, {0.5, 1e-7, 1}};         // stretch 1e7
    const Corners fair_sliver{{0, 0, 2}, {1, 0, 2}, {0.5, 1e-5, 2}};  // stretch 1e5
    const Corners flat{{0, 0, 3}, {1, 1, 3}, {2, 2, 3}};
    const Corners huge{{1e31, 0, 0}, {1e31, 1, 0}, {1e31, 0, 1}};
    CellFrame frame({fine, thin, fair_sliver, flat, huge});
    EXPECT_GT(frame.tri(0)->reach, 0.0f);
    EXPECT_LT(frame.tri(0)->reach, 1e-7f);
    EXPECT_LT(frame.tri(1)->reach, 0.0f);
    EXPECT_GT(frame.tri(2)->reach, 0.0f);
    EXPECT_LT(frame.tri(3)->reach, 0.0f);
    EXPECT_LT(frame.tri(4)->reach, 0.0f);

    CellFrame alone({fine});
    alone.build();
    EXPECT_EQ(scene_cell.bounded, 1);
    CellFrame with_thin({fine, thin});
    with_thin.build();
    EXPECT_EQ(scene_cell.bounded, 0);
}

TEST(LeafBounds, DividedCellsAreNotBoundedAndEveryFineLeafIs) {
    CellFrame frame(tube(64, 32, 1.0, {0, 0, 0}));
    frame.build();
    int leaves = 0;
    for (const CELL* cell : cells_of(scene_cell)) {
        if (!cell->leaf) {
            EXPECT_NE(cell->kids, nullptr);
            continue;
        }
        EXPECT_EQ(cell->bounded, cell->count > 0 ? 1 : 0);
        leaves += cell->count > 0;
    }
    EXPECT_GT(leaves, 50);
}

}  // namespace
}  // namespace zy::test
