// Procedural patterns: the blend, the dispatch tables, pattern space and the
// regular patterns at points whose answer is known.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>

#include "material_fixture.h"
#include "materials/noise.h"
#include "materials/patterns.h"

namespace zy::test {
namespace {

using Patterns = MaterialScene;

TEST_F(Patterns, MaterialClampsTAndBlendsAllElevenValues) {
    MATERIAL out{};
    double t = -0.5;
    rt_material(srf, t, out);
    EXPECT_EQ(t, 0.0);
    EXPECT_TRUE(same_material(out, srf.mat[0]));

    t = 1.7;
    rt_material(srf, t, out);
    EXPECT_EQ(t, 1.0);
    EXPECT_TRUE(same_material(out, srf.mat[1]));

    t = 0.25;
    rt_material(srf, t, out);
    EXPECT_EQ(t, 0.25);
    const auto a = values_of(srf.mat[0]), b = values_of(srf.mat[1]), got = values_of(out);
    for (int i = 0; i < 11; ++i) EXPECT_DOUBLE_EQ(got[i], 0.75 * a[i] + 0.25 * b[i]) << "value " << i;
}

TEST_F(Patterns, EveryPatternStaysBetweenTheTwoMaterialsAndVaries) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> coord(-400.0, 400.0);
    std::vector<V3D> points(300);
    for (auto& p : points) p = {coord(rng), coord(rng), coord(rng)};
    const auto lo = values_of(srf.mat[0]), hi = values_of(srf.mat[1]);
    for (int type = 1; type <= kPatternCount; ++type) {
        ASSERT_NE(ptrn_table[type], nullptr) << type;
        srf.ptrn_type = static_cast<uint8_t>(type);
        std::set<double> reds;
        for (const V3D& p : points) {
            const MATERIAL m = pattern_at(p);
            const auto v = values_of(m);
            reds.insert(m.color.r);
            EXPECT_TRUE(same_material(m, pattern_at(p))) << type;  // no hidden state
            for (int i = type == 24 ? 3 : 0; i < 11; ++i) {
                EXPECT_GE(v[i], std::min(lo[i], hi[i]) - 1e-12) << "pattern " << type << " value " << i;
                EXPECT_LE(v[i], std::max(lo[i], hi[i]) + 1e-12) << "pattern " << type << " value " << i;
            }
        }
        if (type == 32)
            EXPECT_EQ(reds.size(), 1u);
        else
            EXPECT_GT(reds.size(), 1u) << "pattern " << type << " never changes";
    }
}

TEST_F(Patterns, LastPatternIsTheFirstMaterialAndFree1IsSoap) {
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> coord(-1000.0, 1000.0);
    for (int i = 0; i < 50; ++i) {
        const V3D p{coord(rng), coord(rng), coord(rng)};
        srf.ptrn_type = 32;
        EXPECT_TRUE(same_material(pattern_at(p), srf.mat[0]));
        srf.ptrn_type = 21;
        const MATERIAL soap = pattern_at(p);
        srf.ptrn_type = 30;
        EXPECT_TRUE(same_material(pattern_at(p), soap));
    }
}

TEST_F(Patterns, MultiColourTintsTheFirstMaterialByAUnitVector) {
    srf.ptrn_type = 24;
    std::mt19937 rng(9);
    std::uniform_real_distribution<double> coord(-300.0, 300.0);
    for (int i = 0; i < 50; ++i) {
        const MATERIAL m = pattern_at({coord(rng), coord(rng), coord(rng)});
        const double r = m.color.r / srf.mat[0].color.r, g = m.color.g / srf.mat[0].color.g,
                     b = m.color.b / srf.mat[0].color.b;
        EXPECT_NEAR(r * r + g * g + b * b, 1.0, 1e-12);
        MATERIAL rest = m;
        rest.color = srf.mat[0].color;
        EXPECT_TRUE(same_material(rest, srf.mat[0]));
    }
}

TEST_F(Patterns, RegularTilesHaveJointsOfTwoUnits) {
    srf.ptrn_type = 25;
    EXPECT_TRUE(same_material(pattern_at({100.5, 0, 30}), srf.mat[1]));
    EXPECT_TRUE(same_material(pattern_at({102, 0, 30}), srf.mat[0]));
    EXPECT_TRUE(same_material(pattern_at({120, 0, 51.9}), srf.mat[1]));
    // Exactly 2 from the cell edge is already tile; below zero still floors.
    EXPECT_TRUE(same_material(pattern_at({102, 0, 2}), srf.mat[0]));
    EXPECT_TRUE(same_material(pattern_at({-49, 0, 30}), srf.mat[1]));
    EXPECT_TRUE(same_material(pattern_at({-47.5, 0, 30}), srf.mat[0]));
}

TEST_F(Patterns, ScaleTwoDoublesEveryFeature) {
    srf.ptrn_type = 25;
    srf.ptrn_scale = 2.0;
    EXPECT_TRUE(same_material(pattern_at({201, 0, 60}), srf.mat[1]));
    EXPECT_TRUE(same_material(pattern_at({204, 0, 60}), srf.mat[0]));
    EXPECT_EQ(ts.ptrn_offset, 124000000.0);
}

TEST_F(Patterns, ShiftedTilesMoveOddRowsByHalfATile) {
    srf.ptrn_type = 26;
    EXPECT_TRUE(same_material(pattern_at({26, 0, 10}), srf.mat[0]));   // row 0
    EXPECT_TRUE(same_material(pattern_at({26, 0, 60}), srf.mat[1]));   // row 1, shifted joint
    EXPECT_TRUE(same_material(pattern_at({1, 0, 60}), srf.mat[0]));
    EXPECT_TRUE(same_material(pattern_at({30, 0, 51}), srf.mat[1]));   // joint between rows
    srf.ptrn_type = 27;                                                // rows of 25
    EXPECT_TRUE(same_material(pattern_at({26, 0, 10}), srf.mat[0]));
    EXPECT_TRUE(same_material(pattern_at({26, 0, 30}), srf.mat[1]));
    EXPECT_TRUE(same_material(pattern_at({30, 0, 25.5}), srf.mat[1]));
    EXPECT_TRUE(same_material(pattern_at({30, 0, 27.5}), srf.mat[0]));
}

TEST_F(Patterns, CheckersAlternateAndNegativeOddSumsCount) {
    srf.ptrn_type = 28;
    const MATERIAL a = pattern_at({25, 0, 25});
    EXPECT_FALSE(same_material(a, pattern_at({75, 0, 25})));
    EXPECT_FALSE(same_material(a, pattern_at({25, 0, -25})));
    EXPECT_TRUE(same_material(a, pattern_at({75, 0, 75})));
    EXPECT_TRUE(same_material(a, pattern_at({-25, 5, -25})));
    // Far below the offset the cell indices turn negative: -3 + 0 is odd.
    EXPECT_TRUE(same_material(pattern_at({-62000175, 0, -62000000}), srf.mat[1]));
    EXPECT_TRUE(same_material(pattern_at({-62000125, 0, -62000000}), srf.mat[0]));
}

TEST_F(Patterns, WaveCheckersRepeatEvery70Point8) {
    srf.ptrn_type = 29;
    for (double x = 1.3; x < 70.0; x += 3.1) {
        for (double z : {0.7, 20.2, 44.4}) {
            EXPECT_TRUE(same_material(pattern_at({x, 0, z}), pattern_at({x + 70.8, 0, z}))) << x << " " << z;
            EXPECT_TRUE(same_material(pattern_at({x, 0, z}), pattern_at({x, 9, z - 70.8}))) << x << " " << z;
        }
    }
}

TEST_F(Patterns, HugeCoordinatesSaturateTheGridPatterns) {
    for (int type : {25, 26, 27, 28, 29}) {
        srf.ptrn_type = static_cast<uint8_t>(type);
        for (double c : {1e30, -1e30, 3e9}) {
            const MATERIAL m = pattern_at({c, c, c});
            EXPECT_TRUE(same_material(m, srf.mat[0]) || same_material(m, srf.mat[1])) << type << " " << c;
        }
    }
}

TEST_F(Patterns, OrientationsPermuteOrTurnTheAxes) {
    for (int arg = 1; arg <= kDirCount; ++arg) ASSERT_NE(ptrn_dir_table[arg], nullptr);
    V3D p{1, 2, 3};
    ptrn_dir_table[1](p);
    EXPECT_TRUE(p.x == 2 && p.y == 1 && p.z == 3);
    p = {1, 2, 3};
    ptrn_dir_table[2](p);
    EXPECT_TRUE(p.x == 3 && p.y == 1 && p.z == 2);
    p = {1, 2, 3};
    ptrn_dir_table[3](p);
    EXPECT_DOUBLE_EQ(p.x, 0.5 + 1.0 - 3 * 0.7071068);
    EXPECT_DOUBLE_EQ(p.y, -0.1464466 + 2 * 0.8535534 + 1.5);
    EXPECT_DOUBLE_EQ(p.z, 0.8535534 - 2 * 0.1464466 + 1.5);
    EXPECT_NEAR(p.x * p.x + p.y * p.y + p.z * p.z, 14.0, 1e-5);  // a turn keeps lengths
}

TEST_F(Patterns, OrientationOneMakesStripsRunAlongY) {
    srf.ptrn_type = 13;
    for (double v = 0.5; v < 20.0; v += 1.7) {
        srf.ptrn_arg = 0;
        const MATERIAL along_x = pattern_at({v, 0, 0});
        srf.ptrn_arg = 1;
        EXPECT_TRUE(same_material(pattern_at({0, v, 0}), along_x)) << v;
        srf.ptrn_arg = 2;
        EXPECT_TRUE(same_material(pattern_at({0, 0, v}), along_x)) << v;
    }
}

TEST_F(Patterns, PatternSpaceAddsPovAndAppliesTheMatrix) {
    srf.ptrn_type = 25;
    rt_var.pov = {100, 0, 0};
    EXPECT_TRUE(same_material(pattern_at({0.5, 0, 30}), srf.mat[1]));  // scene x 100.5
    rt_var.pov = {0, 0, 0};
    tri.mat_index = 0;
    mats[0].m[3][0] = 100.0;  // pattern space moved by 100 along x
    EXPECT_TRUE(same_material(pattern_at({0.5, 0, 30}), srf.mat[1]));
    EXPECT_TRUE(same_material(pattern_at({2.5, 0, 30}), srf.mat[0]));
}

TEST_F(Patterns, StrongestStripsFollowTheFifthPowerOfTheSine) {
    srf.ptrn_type = 13;
    EXPECT_TRUE(same_material(pattern_at({0, 4, 4}), srf.mat[0]));     // sin 0
    EXPECT_NEAR(pattern_at({5, 0, 0}).ambient, srf.mat[1].ambient, 1e-12);  // |sin(pi/2)| = 1
    const double t = std::pow(std::sin(3.141592653589793 / 6.0), 5.0);   // x = 5/3
    EXPECT_NEAR(pattern_at({5.0 / 3.0, 0, 0}).ambient, (1 - t) * srf.mat[0].ambient + t * srf.mat[1].ambient, 1e-12);
}

TEST_F(Patterns, MarbleRowTwoIsRowOneWithoutItsThreshold) {
    std::mt19937 rng(13);
    std::uniform_real_distribution<double> coord(-200.0, 200.0);
    int above = 0;
    for (int i = 0; i < 200; ++i) {
        const V3D p{coord(rng), coord(rng), coord(rng)};
        const double v = rt_ptrn_marble(p, 2);
        const double expected = v < 0.6 ? 0.0 : (v - 0.6) / 0.4;
        EXPECT_DOUBLE_EQ(rt_ptrn_marble(p, 1), expected);
        above += v >= 0.6;
        EXPECT_GE(v, 0.0);
        EXPECT_LE(v, 1.0);
    }
    EXPECT_GT(above, 0);
}

TEST_F(Patterns, WoodRingsAreCentredOnTheXAxis) {
    // Rings about x: turbulence displaces the radius, the offset only moves
    // the turbulence along x.
    for (const V3D p : {V3D{3, 4, 0}, V3D{-7, 0.5, -2.25}, V3D{100, -30, 40}}) {
        const double r = std::sqrt(p.z * p.z + p.y * p.y) + 6.0 * rt_turbulence(0.2 * (1000.0 + p.x), p.y, p.z);
        const double f = r - std::floor(r);
        EXPECT_DOUBLE_EQ(rt_ptrn_wood_massive(1000.0, p), f * f);
    }
}

}  // namespace
}  // namespace zy::test
