// The wide test of a cell's references against the one-triangle test, bit for
// bit: generic and snapped triangles (exact zeros of the denominator, points
// on edges), records with NaN, runs of every length and start.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "cell_frame.h"
#include "cells/reference_hits.h"

namespace zy::test {
namespace {

std::vector<ReferenceHit> hits_of(bool wide, HitRule rule, const CELL& cell, int32_t begin, int32_t end,
                                  const RT_RAY& ray, double limit) {
    std::vector<ReferenceHit> hits(kHitChunk);
    const int32_t n = wide ? reference_hits(rule, cell, begin, end, ray, limit, false, hits.data())
                           : reference_hits_one_by_one(rule, cell, begin, end, ray, limit, hits.data());
    hits.resize(static_cast<std::size_t>(n));
    return hits;
}

bool same(const std::vector<ReferenceHit>& a, const std::vector<ReferenceHit>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].ref != b[i].ref || std::memcmp(&a[i].t, &b[i].t, sizeof(double)) != 0) return false;
    return true;
}

TEST(ReferenceHits, FourAtATimeGiveTheOneByOneBits) {
    std::mt19937 rng(7);
    CellFrame generic(random_triangles(rng, 40, 4.0, 3.0));
    CellFrame snapped(random_triangles(rng, 40, 4.0, 3.0, 0.5));
    std::vector<TRIANGLE> records;
    for (CellFrame* frame : {&generic, &snapped})
        for (int k = 0; k < frame->size(); ++k) records.push_back(*frame->tri(k));
    // Odd records: planes that only a NaN edge constant keeps apart, planes
    // met beyond kFltMax with every edge out, a NaN normal.
    const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    for (int k : {3, 17, 44}) {
        TRIANGLE& t = records[static_cast<std::size_t>(k)];
        std::fill_n(t.ec, 3, -inf);
        t.ec[k % 3] = nan;
    }
    for (int k : {5, 60}) {
        TRIANGLE& t = records[static_cast<std::size_t>(k)];
        t.d = 1e39;
        t.ec[0] = t.ec[1] = t.ec[2] = inf;
    }
    records[50].nrm.y = nan;
    std::vector<const TRIANGLE*> refs;
    for (const TRIANGLE& t : records) refs.push_back(&t);

    const Scene scene = generic.scene();
    std::uniform_real_distribution<double> coord(-1.0, 5.0);
    std::uniform_int_distribution<int> axis(-1, 1);
    int compared_hits = 0;
    for (int r = 0; r < 2000; ++r) {
        // Every fourth ray runs along the axes, from snapped points.
        const bool along_axes = r % 4 == 0;
        const V3D org = along_axes ? V3D{std::round(coord(rng)), std::round(coord(rng)), std::round(coord(rng))}
                                   : V3D{coord(rng), coord(rng), coord(rng)};
        V3D dir{coord(rng) - 2, coord(rng) - 2, coord(rng) - 2};
        if (along_axes) dir = {double(axis(rng)), double(axis(rng)), 1.0};
        const RT_RAY ray = ray_from(scene, org, dir);
        const int32_t begin = r % 7;
        const int32_t end = std::min<int32_t>(begin + 1 + r % kHitChunk, static_cast<int32_t>(refs.size()));
        const CELL cell = cube_leaf(0, 4, refs.data(), static_cast<int32_t>(refs.size()));
        for (HitRule rule : {HitRule::kNearest, HitRule::kShadow}) {
            for (double limit : {3.0, std::numeric_limits<double>::infinity()}) {
                const auto wide = hits_of(true, rule, cell, begin, end, ray, limit);
                EXPECT_TRUE(same(wide, hits_of(false, rule, cell, begin, end, ray, limit))) << "ray " << r;
                compared_hits += static_cast<int>(wide.size());
            }
        }
    }
    EXPECT_GT(compared_hits, 1000);
}

// One triangle's test, the same from both paths.
bool hit(HitRule rule, const TRIANGLE& tri, const RT_RAY& ray, double limit, double& t) {
    const TRIANGLE* ref = &tri;
    const CELL cell = cube_leaf(0, 1, &ref, 1);
    ReferenceHit wide[kHitChunk];
    const int32_t n = reference_hits(rule, cell, 0, 1, ray, limit, false, wide);
    const bool one = triangle_hit(rule, tri, ray, limit, t);
    EXPECT_EQ(n, one ? 1 : 0);
    if (n == 1 && one) {
        EXPECT_EQ(wide[0].t, t);
    }
    return one;
}

TEST(ReferenceHits, RulesDifferOnlyWhereTheSearchesDiffer) {
    CellFrame frame(std::vector<Corners>{{{-1, -1, 2}, {1, -1, 2}, {0, 1, 2}}});
    const TRIANGLE& original = *frame.tri(0);
    ASSERT_EQ(std::fabs(original.nrm.z), 1.0);
    // Along the z axis exactly (the walk's preparation would tilt it).
    RT_RAY ray{};
    ray.dir = {0, 0, 1};
    const double inf = std::numeric_limits<double>::infinity();
    // The plane met at exactly distance t.
    const auto at = [&](double t) {
        TRIANGLE tri = original;
        tri.d = t * tri.nrm.z;
        return tri;
    };
    double t = 0;
    EXPECT_FALSE(hit(HitRule::kNearest, at(kFltEpsilon), ray, 0, t));
    EXPECT_TRUE(hit(HitRule::kNearest, at(2 * kFltEpsilon), ray, 0, t));
    EXPECT_FALSE(hit(HitRule::kShadow, at(kFltEpsilon), ray, 3, t));
    // The shadow search stops at the light; the nearest search ignores limit.
    EXPECT_TRUE(hit(HitRule::kNearest, at(2), ray, 2, t));
    EXPECT_FALSE(hit(HitRule::kShadow, at(2), ray, 2, t));
    EXPECT_TRUE(hit(HitRule::kShadow, at(2), ray, 2.5, t));
    EXPECT_EQ(t, 2.0);
    // A NaN edge lets the nearest search in and keeps the shadow search out.
    for (int i = 0; i < 3; ++i) {
        TRIANGLE tri = at(2);
        tri.ec[i] = std::numeric_limits<double>::quiet_NaN();
        EXPECT_TRUE(hit(HitRule::kNearest, tri, ray, 0, t)) << i;
        EXPECT_FALSE(hit(HitRule::kShadow, tri, ray, 2.5, t)) << i;
    }
    // From kFltMax on, the shadow search asks no edge and the nearest search misses.
    TRIANGLE far = at(kFltMax);
    std::fill_n(far.ec, 3, inf);
    EXPECT_FALSE(hit(HitRule::kNearest, far, ray, 0, t));
    EXPECT_TRUE(hit(HitRule::kShadow, far, ray, inf, t));
    TRIANGLE near_max = at(std::nextafter(kFltMax, 0.0));
    std::fill_n(near_max.ec, 3, inf);
    EXPECT_FALSE(hit(HitRule::kShadow, near_max, ray, inf, t));
}

}  // namespace
}  // namespace zy::test
