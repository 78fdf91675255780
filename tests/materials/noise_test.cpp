// Noise tables, lattice noise, turbulence and the triangle wave; the values
// themselves are fixed by the pictures of every noise pattern.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "material_fixture.h"

namespace zy::test {
namespace {

class Noise : public ::testing::Test {
protected:
    void SetUp() override { rt_noise_preprocess(); }
};

bool same_vector(const V3D& a, const V3D& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

TEST(NoiseTables, HashIsAPermutationAndRecordsStayWithinOne) {
    std::vector<int> seen(4096, 0);
    for (short v : hash_table) ++seen.at(static_cast<std::size_t>(v));
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), 4096);
    EXPECT_TRUE(std::all_of(r_table, r_table + 267, [](double v) { return v >= -1.0 && v <= 1.0; }));
}

TEST_F(Noise, StaysInRangeIsContinuousAndRepeatsEvery4096) {
    for (const V3D& p : random_points(7, 1000, 3000.0)) {
        const double n = rt_noise(p.x, p.y, p.z), t = rt_turbulence(p.x, p.y, p.z);
        ASSERT_TRUE(n >= 0.0 && n <= 1.0 && t >= 0.0 && t <= 1.0);
        EXPECT_NEAR(rt_noise(p.x + 4096.0, p.y - 4096.0, p.z), n, 1e-9);
    }
    for (double c : {1.0, -33.0}) {  // across cell faces
        EXPECT_NEAR(rt_noise(c - 1e-9, 0.3, 0.6), rt_noise(c + 1e-9, 0.3, 0.6), 1e-7);
        EXPECT_NEAR(rt_noise(0.3, 0.6, c - 1e-9), rt_noise(0.3, 0.6, c + 1e-9), 1e-7);
    }
}

TEST_F(Noise, FarPointsSaturateInsteadOfOverflowing) {
    // The lattice coordinate is the largest 32-bit integer: its neighbour lies
    // one further, and 4096 lattice units repeat the same cell.
    const double top = 2147483647.25 - 5000000.0;
    EXPECT_EQ(rt_noise(top, 0.5, 0.5), rt_noise(top - 4096.0 * 1000.0, 0.5, 0.5));
    V3D a, b;
    rt_dnoise(0.5, top, 0.5, a);
    rt_dnoise(0.5, top - 4096.0 * 1000.0, 0.5, b);
    EXPECT_TRUE(same_vector(a, b));
    // Beyond the designed range the value is meaningless but stays a noise value.
    for (double c : {3e9, -3e9, -1e12}) {
        const double n = rt_noise(c, 0.5, c);
        EXPECT_TRUE(n >= 0.0 && n <= 1.0) << c;
    }
}

TEST(TriangleWave, RampsUpAndDownWithPeriodOne) {
    const double cases[][2] = {{0.0, 0.0},  {0.25, 0.5},  {0.5, 1.0}, {0.75, 0.5}, {1.0, 0.0},
                               {-0.25, 0.5}, {-1.0, 0.0}, {2.5, 1.0}, {-3.0, 0.0}, {-2.5, 1.0}};
    for (const auto& c : cases) EXPECT_EQ(rt_triangle_wave(c[0]), c[1]) << c[0];
}

}  // namespace
}  // namespace zy::test
