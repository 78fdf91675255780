// Procedural patterns: the blend, the dispatch tables, pattern space and the
// regular patterns at points whose answer is known.
#include <gtest/gtest.h>

#include <set>

#include "material_fixture.h"
#include "materials/patterns.h"

namespace zy::test {
namespace {

using Patterns = MaterialScene;

TEST_F(Patterns, MaterialClampsTAndBlendsAllElevenValues) {
    MATERIAL out{};
    double t = -0.5;
    rt_material(srf, t, out);
    EXPECT_TRUE(t == 0.0 && same_material(out, srf.mat[0]));
    t = 1.7;
    rt_material(srf, t, out);
    EXPECT_TRUE(t == 1.0 && same_material(out, srf.mat[1]));
    t = 0.25;
    rt_material(srf, t, out);
    const auto a = values_of(srf.mat[0]), b = values_of(srf.mat[1]), got = values_of(out);
    for (int i = 0; i < 11; ++i) EXPECT_DOUBLE_EQ(got[i], 0.75 * a[i] + 0.25 * b[i]) << "value " << i;
}

TEST_F(Patterns, EveryPatternStaysBetweenTheTwoMaterialsAndVaries) {
    const auto points = random_points(3, 300, 400.0);
    const auto lo = values_of(srf.mat[0]), hi = values_of(srf.mat[1]);
    for (int type = 1; type <= kPatternCount; ++type) {
        ASSERT_NE(ptrn_table[type], nullptr) << type;
        srf.ptrn_type = static_cast<uint8_t>(type);
        std::set<double> reds;
        for (const V3D& p : points) {
            const MATERIAL m = pattern_at(p);
            const auto v = values_of(m);
            reds.insert(m.color.r);
            for (int i = type == 24 ? 3 : 0; i < 11; ++i)  // multi_color tints its colour
                EXPECT_TRUE(v[i] >= std::min(lo[i], hi[i]) - 1e-12 && v[i] <= std::max(lo[i], hi[i]) + 1e-12)
                    << "pattern " << type << " value " << i;
        }
        EXPECT_EQ(reds.size() > 1, type != 32) << "pattern " << type;
    }
    for (const V3D& p : random_points(5, 20, 1000.0)) {  // free1 is soap, free3 the first material
        srf.ptrn_type = 21;
        const MATERIAL soap = pattern_at(p);
        srf.ptrn_type = 30;
        EXPECT_TRUE(same_material(pattern_at(p), soap));
        srf.ptrn_type = 32;
        EXPECT_TRUE(same_material(pattern_at(p), srf.mat[0]));
    }
}

TEST_F(Patterns, TilesHaveJointsOfTwoAndShiftedRows) {
    const struct {
        int type;
        double scale;
        V3D point;
        bool joint;
    } cases[] = {
        {25, 1, {100.5, 0, 30}, true}, {25, 1, {102, 0, 30}, false}, {25, 1, {-49, 0, 30}, true},
        {25, 1, {-47.5, 0, 30}, false}, {25, 2, {201, 0, 60}, true},  {25, 2, {204, 0, 60}, false},
        {26, 1, {26, 0, 60}, true},     {26, 1, {1, 0, 60}, false},   {27, 1, {30, 0, 25.5}, true},
        {27, 1, {30, 0, 27.5}, false},
    };
    for (const auto& c : cases) {
        srf.ptrn_type = static_cast<uint8_t>(c.type);
        srf.ptrn_scale = c.scale;
        EXPECT_TRUE(same_material(pattern_at(c.point), srf.mat[c.joint ? 1 : 0]))
            << c.type << " at " << c.point.x << ", " << c.point.z;
    }
}

TEST_F(Patterns, CheckersAlternateAndNegativeOddSumsCount) {
    srf.ptrn_type = 28;
    const MATERIAL a = pattern_at({25, 0, 25});
    EXPECT_FALSE(same_material(a, pattern_at({75, 0, 25})));
    EXPECT_FALSE(same_material(a, pattern_at({25, 0, -25})));
    EXPECT_TRUE(same_material(a, pattern_at({-25, 5, -25})));
    // Far below the offset the cell indices turn negative: -3 + 0 is odd.
    EXPECT_TRUE(same_material(pattern_at({-62000175, 0, -62000000}), srf.mat[1]));
    EXPECT_TRUE(same_material(pattern_at({-62000125, 0, -62000000}), srf.mat[0]));
    for (int type : {25, 26, 27, 28, 29}) {  // saturating cell indices
        srf.ptrn_type = static_cast<uint8_t>(type);
        for (double c : {1e30, -1e30, 3e9}) {
            const MATERIAL m = pattern_at({c, c, c});
            EXPECT_TRUE(same_material(m, srf.mat[0]) || same_material(m, srf.mat[1])) << type << " " << c;
        }
    }
}

TEST_F(Patterns, PatternSpaceAddsPovAndAppliesTheMatrix) {
    srf.ptrn_type = 25;
    settings.pov = {100, 0, 0};
    EXPECT_TRUE(same_material(pattern_at({0.5, 0, 30}), srf.mat[1]));  // scene x 100.5
    settings.pov = {0, 0, 0};
    tri.mat_index = 0;
    mats[0].m[3][0] = 100.0;  // pattern space moved by 100 along x
    EXPECT_TRUE(same_material(pattern_at({0.5, 0, 30}), srf.mat[1]));
    EXPECT_TRUE(same_material(pattern_at({2.5, 0, 30}), srf.mat[0]));
}

}  // namespace
}  // namespace zy::test
