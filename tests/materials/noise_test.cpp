// Noise tables, lattice noise, turbulence and the triangle wave.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "materials/noise.h"

namespace zy {
namespace {

class Noise : public ::testing::Test {
protected:
    void SetUp() override { rt_noise_preprocess(); }
};

TEST(NoiseTables, HashTableIsAPermutationWithTheKnownEnds) {
    std::vector<int> seen(4096, 0);
    for (short v : hash_table) {
        ASSERT_GE(v, 0);
        ASSERT_LT(v, 4096);
        ++seen[v];
    }
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), 4096);
    const short head[] = {376, 3401, 2678, 3032, 868, 1939, 1899, 3177, 1747, 3935, 2479, 2790};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(hash_table[i], head[i]) << i;
    EXPECT_EQ(hash_table[4092], 702);
    EXPECT_EQ(hash_table[4093], 130);
    EXPECT_EQ(hash_table[4094], 1977);
    EXPECT_EQ(hash_table[4095], 329);
}

TEST(NoiseTables, RecordTableHasTheKnownRowsAndShape) {
    const double head[] = {-1.0,     -0.61239,  0.149523, -0.970886, -0.595514, -0.753658,
                           0.270222, -0.105241, 0.147784, -0.923247, 0.495537,  -0.702235};
    const double tail[] = {0.290547, 0.047318, 0.220966, 0.854154,  0.908354, 0.68069,
                           0.790921, 0.717647, -0.981872, 0.242054, 0.792416, -0.347402};
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(r_table[i], head[i]) << i;
        EXPECT_EQ(r_table[255 + i], tail[i]) << 255 + i;
    }
    int negative = 0;
    for (int i = 0; i < 267; ++i) {
        negative += r_table[i] < 0.0;
        // Six decimals at most.
        EXPECT_NEAR(r_table[i] * 1e6, std::round(r_table[i] * 1e6), 1e-6) << i;
        if (i > 0) {
            EXPECT_GT(r_table[i], -1.0) << i;
        }
    }
    EXPECT_EQ(negative, 130);
    EXPECT_EQ(*std::max_element(r_table, r_table + 267), 0.987182);
}

TEST_F(Noise, HalfTableHalvesTheRecords) {
    for (int i = 0; i < 267; ++i) EXPECT_EQ(half_r_table[i], r_table[i] / 2.0) << i;
}

// The record a lattice point hashes to, worked out from the table directly.
int record_at(int x, int y, int z) {
    const auto low12 = [](int c) { return (c + 5000000) & 0xFFF; };
    const int h1 = hash_table[low12(x)];
    const int h2 = hash_table[h1 ^ low12(y)];
    return hash_table[h2 ^ low12(z)] & 0xFF;
}

TEST_F(Noise, LatticePointsGiveTheirRecordsConstantTerm) {
    const int points[][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {-7, 13, 250}, {4095, -4096, 99}};
    for (const auto& q : points) {
        const int m = record_at(q[0], q[1], q[2]);
        const double expected = std::clamp(r_table[m] / 2.0 + 0.5, 0.0, 1.0);
        EXPECT_EQ(rt_noise(q[0], q[1], q[2]), expected) << q[0] << "," << q[1] << "," << q[2];
        V3D d;
        rt_dnoise(q[0], q[1], q[2], d);
        EXPECT_EQ(d.x, r_table[m] / 2.0);
        EXPECT_EQ(d.y, r_table[m + 4] / 2.0);
        EXPECT_EQ(d.z, r_table[m + 8] / 2.0);
    }
}

TEST_F(Noise, StaysInRangeIsContinuousAndRepeatsEvery4096) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> coord(-3000.0, 3000.0);
    for (int i = 0; i < 2000; ++i) {
        const double x = coord(rng), y = coord(rng), z = coord(rng);
        const double n = rt_noise(x, y, z);
        ASSERT_GE(n, 0.0);
        ASSERT_LE(n, 1.0);
        EXPECT_NEAR(rt_noise(x + 4096.0, y, z), n, 1e-9);
        EXPECT_NEAR(rt_noise(x, y - 4096.0, z), n, 1e-9);
        const double t = rt_turbulence(x, y, z);
        ASSERT_GE(t, 0.0);
        ASSERT_LE(t, 1.0);
    }
    // Across a cell boundary on every axis.
    for (double c : {1.0, 17.0, -33.0}) {
        EXPECT_NEAR(rt_noise(c - 1e-9, 0.3, 0.6), rt_noise(c + 1e-9, 0.3, 0.6), 1e-7);
        EXPECT_NEAR(rt_noise(0.3, c - 1e-9, 0.6), rt_noise(0.3, c + 1e-9, 0.6), 1e-7);
        EXPECT_NEAR(rt_noise(0.3, 0.6, c - 1e-9), rt_noise(0.3, 0.6, c + 1e-9), 1e-7);
    }
}

TEST_F(Noise, InsideACellInterpolatesTheCornerPlanes) {
    // On the low x face of a cell only the four x-low corners carry weight; at
    // the midpoint of an edge two of them share it equally.
    const int m0 = record_at(3, 5, 8), m1 = record_at(3, 6, 8);
    const double a = r_table[m0] / 2.0 + r_table[m0 + 2] * 0.5;
    const double b = r_table[m1] / 2.0 + r_table[m1 + 2] * -0.5;
    EXPECT_NEAR(rt_noise(3.0, 5.5, 8.0), std::clamp(0.5 * a + 0.5 * b + 0.5, 0.0, 1.0), 1e-12);
}

TEST_F(Noise, FarPointsSaturateInsteadOfOverflowing) {
    // The lattice coordinate is the largest 32-bit integer: its neighbour is
    // one further, 4096 lattice units repeat the same cell.
    const double top = 2147483647.25 - 5000000.0;
    EXPECT_EQ(rt_noise(top, 0.5, 0.5), rt_noise(top - 4096.0 * 1000.0, 0.5, 0.5));
    V3D a, b;
    rt_dnoise(0.5, top, 0.5, a);
    rt_dnoise(0.5, top - 4096.0 * 1000.0, 0.5, b);
    EXPECT_EQ(a.x, b.x);
    EXPECT_EQ(a.y, b.y);
    EXPECT_EQ(a.z, b.z);
    // Beyond the designed range the value is meaningless but stays a noise value.
    for (double c : {3e9, -3e9, -1e12}) {
        const double n = rt_noise(c, 0.5, c);
        EXPECT_GE(n, 0.0) << c;
        EXPECT_LE(n, 1.0) << c;
        V3D d;
        rt_dturbulence(0.5, c, 0.5, d);
        EXPECT_TRUE(d.x >= 0.0 && d.x <= 1.0 && d.y >= 0.0 && d.y <= 1.0 && d.z >= 0.0 && d.z <= 1.0) << c;
    }
}

TEST_F(Noise, VectorTurbulenceIsTheClampedWeightedSum) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> coord(-500.0, 500.0);
    int clamped_low = 0;
    for (int i = 0; i < 300; ++i) {
        const double x = coord(rng), y = coord(rng), z = coord(rng);
        double sum[3] = {0, 0, 0};
        double f = 0.1, w = 1.0;
        for (int k = 0; k < 7; ++k, f *= 2.0, w /= 2.0) {
            V3D d;
            rt_dnoise(x * f, y * f, z * f, d);
            sum[0] += d.x * w;
            sum[1] += d.y * w;
            sum[2] += d.z * w;
        }
        V3D out;
        rt_dturbulence(x, y, z, out);
        const double got[3] = {out.x, out.y, out.z};
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(got[c], std::clamp(sum[c], 0.0, 1.0));
            clamped_low += sum[c] < 0.0;
        }
    }
    EXPECT_GT(clamped_low, 0);  // the clamping was exercised
}

TEST(TriangleWave, RampsUpAndDownWithPeriodOne) {
    const double cases[][2] = {{0.0, 0.0},  {0.25, 0.5},  {0.5, 1.0}, {0.75, 0.5}, {1.0, 0.0},
                               {-0.25, 0.5}, {-1.0, 0.0}, {2.5, 1.0}, {-3.0, 0.0}, {-2.5, 1.0}};
    for (const auto& c : cases) EXPECT_EQ(rt_triangle_wave(c[0]), c[1]) << c[0];
}

}  // namespace
}  // namespace zy
