// Lattice noise and turbulence; the values themselves are fixed by the
// pictures of every noise pattern.
#include <gtest/gtest.h>

#include "material_fixture.h"

namespace zy::test {
namespace {

class Noise : public ::testing::Test {
protected:
    void SetUp() override { rt_noise_preprocess(); }
};

bool same_vector(const V3D& a, const V3D& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

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

}  // namespace
}  // namespace zy::test
