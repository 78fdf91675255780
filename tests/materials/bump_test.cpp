// Normal perturbation: the bump table, bump space, and the floor reliefs and
// waves at points whose answer is known.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "material_fixture.h"
#include "materials/bumps.h"
#include "materials/noise.h"

namespace zy::test {
namespace {

class Bumps : public MaterialScene {
protected:
    /// The bent normal at a scene point, starting from n.
    V3D bent(const V3D& point, V3D n = {0, 1, 0}) {
        rt_perturb_nrm(ts, tri, point, n);
        return n;
    }
};

void expect_direction(const V3D& got, const V3D& want) {
    V3D w = want;
    v3d_nrm(w);
    EXPECT_NEAR(got.x, w.x, 1e-12);
    EXPECT_NEAR(got.y, w.y, 1e-12);
    EXPECT_NEAR(got.z, w.z, 1e-12);
}

TEST_F(Bumps, NoBumpLeavesTheNormalBitForBit) {
    srf.bump_type = 0;
    srf.bump_depth = 5.0;
    const V3D n = bent({3, 4, 5}, {3.0, 4.0, 5.0});
    EXPECT_TRUE(n.x == 3.0 && n.y == 4.0 && n.z == 5.0);
}

TEST_F(Bumps, EveryBumpWritesAllOfDAndDepthZeroOnlyRenormalises) {
    srf.bump_depth = 0.0;
    rt_var.wave_period = 10;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::mt19937 rng(17);
    std::uniform_real_distribution<double> coord(-300.0, 300.0);
    for (int type = 1; type <= kBumpCount; ++type) {
        ASSERT_NE(bump_table[type], nullptr) << type;
        srf.bump_type = static_cast<uint8_t>(type);
        for (int i = 0; i < 40; ++i) {
            const V3D p{coord(rng), coord(rng), coord(rng)};
            V3D d{nan, nan, nan};
            ts.bump_offset = 62000000.0;
            bump_table[type](ts, p, V3D{0, 1, 0}, d);
            EXPECT_TRUE(std::isfinite(d.x) && std::isfinite(d.y) && std::isfinite(d.z)) << "bump " << type;
            expect_direction(bent(p, {3.0, 0.0, 4.0}), {0.6, 0.0, 0.8});
        }
    }
}

TEST_F(Bumps, FloorTilesHaveFlatJointsFlatTopsAndOutwardRims) {
    srf.bump_type = 8;
    srf.bump_depth = 0.5;
    expect_direction(bent({101, 0, 20}), {0, 1, 0});       // joint
    expect_direction(bent({120, 0, 20}), {0, 1, 0});       // top
    expect_direction(bent({103, 0, 20}), {-0.5, 1, 0});    // low-x rim
    expect_direction(bent({120, 0, 53}), {0, 1, -0.5});    // low-z rim
    expect_direction(bent({120, 0, 51.5}), {0, 1, 0});     // joint again
    expect_direction(bent({149, 0, 20}), {0.5, 1, 0});     // high-x rim
    expect_direction(bent({120, 0, 99}), {0, 1, 0.5});     // high-z rim
}

TEST_F(Bumps, FloorPyramidsLeanTowardTheEdgeTheyTouch) {
    srf.bump_type = 7;
    srf.bump_depth = 1.0;
    expect_direction(bent({125, 0, 45}), {0, 1, 1});
    expect_direction(bent({145, 0, 25}), {1, 1, 0});
    expect_direction(bent({105, 0, 25}), {-1, 1, 0});
    expect_direction(bent({125, 0, 5}), {0, 1, -1});
}

TEST_F(Bumps, FloorReliefFollowsThePatternScaleOffsetAndBumpScale) {
    srf.bump_type = 8;
    srf.bump_depth = 0.5;
    srf.bump_scale = 2.0;  // cells of 100 scene units
    expect_direction(bent({206, 0, 40}), {-0.5, 1, 0});
    expect_direction(bent({203, 0, 40}), {0, 1, 0});
    EXPECT_EQ(ts.bump_offset, 62000000.0);  // the pattern scale's, not the bump scale's
    srf.ptrn_scale = 3.0;
    bent({0, 0, 0});
    EXPECT_EQ(ts.bump_offset, 186000000.0);
}

TEST_F(Bumps, MatricesCarryPointsInAndPerturbationsOut) {
    srf.bump_type = 8;
    srf.bump_depth = 0.5;
    tri.mat_index = 0;
    mats[0].m[3][0] = 100.0;  // bump space moved by 100 along x
    // Perturbations come back with x and z exchanged.
    mats[1] = MAT4{};
    mats[1].m[0][2] = mats[1].m[1][1] = mats[1].m[2][0] = mats[1].m[3][3] = 1.0;
    expect_direction(bent({3, 0, 20}), {0, 1, -0.5});
}

TEST_F(Bumps, AnimatedWavesRepeatAfterOnePeriod) {
    srf.bump_type = 6;
    srf.bump_depth = 1.0;
    rt_var.wave_period = 12;
    std::mt19937 rng(19);
    std::uniform_real_distribution<double> coord(-200.0, 200.0);
    int moved = 0;
    for (int i = 0; i < 50; ++i) {
        const V3D p{coord(rng), coord(rng), coord(rng)};
        rt_var.frame_current = 0;
        const V3D a = bent(p);
        rt_var.frame_current = 12;
        const V3D b = bent(p);
        rt_var.frame_current = 3;
        const V3D c = bent(p);
        EXPECT_NEAR(a.x, b.x, 1e-9);
        EXPECT_NEAR(a.y, b.y, 1e-9);
        EXPECT_NEAR(a.z, b.z, 1e-9);
        moved += std::fabs(a.x - c.x) > 1e-6;
    }
    EXPECT_GT(moved, 0);
}

TEST_F(Bumps, CorrosionOnlyDigsWhereTheNoiseFacesTheNormal) {
    srf.bump_type = 4;
    srf.bump_depth = 0.7;
    std::mt19937 rng(23);
    std::uniform_real_distribution<double> coord(-300.0, 300.0);
    int kept = 0, dug = 0;
    for (int i = 0; i < 200; ++i) {
        const V3D p{coord(rng), coord(rng), coord(rng)};
        V3D d;
        rt_dnoise(0.1 * p.x, 0.1 * p.y, 0.1 * p.z, d);
        const V3D n = bent(p, {0, 1, 0});
        if (d.y < 0.0) {
            EXPECT_TRUE(n.x == 0.0 && n.y == 1.0 && n.z == 0.0);
            ++kept;
        } else {
            EXPECT_NE(n.y, 1.0);
            ++dug;
        }
    }
    EXPECT_GT(kept, 0);
    EXPECT_GT(dug, 0);
}

TEST_F(Bumps, WrinklesLeanTowardPositiveAxes) {
    std::mt19937 rng(29);
    std::uniform_real_distribution<double> coord(-300.0, 300.0);
    for (int i = 0; i < 50; ++i) {
        V3D d;
        bump_table[3](ts, {coord(rng), coord(rng), coord(rng)}, {0, 1, 0}, d);
        EXPECT_TRUE(d.x >= 0.0 && d.y >= 0.0 && d.z >= 0.0);
    }
}

TEST_F(Bumps, DentsAreBumpsScaledByTheCubedNoise) {
    std::mt19937 rng(31);
    std::uniform_real_distribution<double> coord(-300.0, 300.0);
    for (int i = 0; i < 50; ++i) {
        const V3D p{coord(rng), coord(rng), coord(rng)};
        V3D bumps, dents;
        bump_table[1](ts, p, {0, 1, 0}, bumps);
        bump_table[2](ts, p, {0, 1, 0}, dents);
        const double n = rt_noise(0.1 * p.x, 0.1 * p.y, 0.1 * p.z);
        EXPECT_NEAR(dents.x, bumps.x * n * n * n, 1e-15);
        EXPECT_NEAR(dents.z, bumps.z * n * n * n, 1e-15);
    }
}

}  // namespace
}  // namespace zy::test
