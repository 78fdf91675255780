// The tree search against a plain loop over every triangle on random scenes.
// Scenes are generic: corners are continuous random numbers, so exact ties,
// rays along edges and triangles in split planes do not occur. The rare rays
// whose outcome legitimately depends on rounding (see plain_nearest) are not
// compared; the test requires them to stay rare.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "cell_frame.h"

namespace zy::test {
namespace {

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

struct Tally {
    int compared = 0;
    int skipped = 0;
    int hits = 0;
};

void cross_check(CellFrame& frame, std::mt19937& rng, int rays, double extent, Tally& tally) {
    const Scene scene = frame.scene();
    std::uniform_real_distribution<double> inside(0.0, extent), around(-0.5 * extent, 1.5 * extent), dir(-1.0, 1.0);
    std::uniform_int_distribution<int> pick(0, frame.size() - 1);
    for (int r = 0; r < rays; ++r) {
        const bool from_outside = r % 3 == 0;
        const V3D org = from_outside ? V3D{around(rng), around(rng), around(rng)} : V3D{inside(rng), inside(rng), inside(rng)};
        RT_RAY ray = ray_from(scene, org, {dir(rng), dir(rng), dir(rng)});
        const TRIANGLE* exclude = r % 5 == 0 ? frame.tri(pick(rng)) : nullptr;
        const PlainHit plain = plain_nearest(scene, ray, exclude);
        V3D hit{};
        double t;
        const TRIANGLE* found = rt_find_tri(scene, ray, exclude, hit, t);
        if (!plain.generic) {
            ++tally.skipped;
            continue;
        }
        ++tally.compared;
        ASSERT_EQ(found, plain.tri) << "ray " << r;
        if (found == nullptr) continue;
        ++tally.hits;
        ASSERT_TRUE(same_bits(t, plain.t)) << "ray " << r;
        EXPECT_TRUE(same_bits(hit.x, ray.dir.x * t + ray.org.x) && same_bits(hit.y, ray.dir.y * t + ray.org.y) &&
                    same_bits(hit.z, ray.dir.z * t + ray.org.z));
    }
}

TEST(SearchCrossCheck, SameNearestHitAsThePlainLoop) {
    std::mt19937 rng(31);
    Tally tally;
    const int sizes[] = {30, 400, 3000};
    for (int n : sizes) {
        for (int scene = 0; scene < 3; ++scene) {
            const double size = scene == 2 ? 3.0 : 0.8;
            CellFrame frame(random_triangles(rng, n, 10.0, size));
            frame.build();
            if (scene == 1) frame.set_floor(2.5, 8.0);
            cross_check(frame, rng, 400, 10.0, tally);
        }
    }
    EXPECT_LT(tally.skipped * 50, tally.compared);
    EXPECT_GT(tally.hits * 4, tally.compared);
}

}  // namespace
}  // namespace zy::test
