// Normal perturbation: the bump table, bump space, and the floor tiles and
// waves at points whose answer is known.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "material_fixture.h"
#include "materials/bumps.h"

namespace zy::test {
namespace {

class Bumps : public MaterialScene {
protected:
    /// The bent normal at a scene point, starting from n.
    V3D bent(const V3D& point, V3D n = {0, 1, 0}) {
        rt_perturb_nrm(records.scene(), tri, point, n);
        return n;
    }
    /// Expects the bent normal at point to point along want.
    void expect_bent(const V3D& point, V3D want) {
        const V3D got = bent(point);
        v3d_nrm(want);
        EXPECT_TRUE(std::fabs(got.x - want.x) < 1e-12 && std::fabs(got.y - want.y) < 1e-12 &&
                    std::fabs(got.z - want.z) < 1e-12)
            << "at " << point.x << ", " << point.z << ": " << got.x << ", " << got.y << ", " << got.z;
    }
};

TEST_F(Bumps, NoBumpLeavesTheNormalBitForBitAndDepthZeroOnlyRenormalises) {
    srf.bump_depth = 5.0;
    const V3D n = bent({3, 4, 5}, {3.0, 4.0, 5.0});
    EXPECT_TRUE(n.x == 3.0 && n.y == 4.0 && n.z == 5.0);

    srf.bump_depth = 0.0;
    settings.wave_period = 10;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const BumpContext at{62000000.0, 0, 10};
    for (int type = 1; type <= kBumpCount; ++type) {
        ASSERT_NE(bump_table[type], nullptr) << type;
        srf.bump_type = static_cast<uint8_t>(type);
        for (const V3D& p : random_points(17, 20, 300.0)) {
            V3D d{nan, nan, nan};  // every bump writes all of d
            bump_table[type](at, p, V3D{0, 1, 0}, d);
            EXPECT_TRUE(std::isfinite(d.x) && std::isfinite(d.y) && std::isfinite(d.z)) << "bump " << type;
            const V3D m = bent(p, {3.0, 0.0, 4.0});
            EXPECT_TRUE(m.x == 0.6 && m.y == 0.0 && m.z == 0.8) << "bump " << type;
        }
    }
}

TEST_F(Bumps, FloorTilesHaveFlatJointsAndTopsAndOutwardRims) {
    srf.bump_type = 8;
    srf.bump_depth = 0.5;
    expect_bent({101, 0, 20}, {0, 1, 0});     // joint
    expect_bent({120, 0, 20}, {0, 1, 0});     // top
    expect_bent({103, 0, 20}, {-0.5, 1, 0});  // low-x rim
    expect_bent({120, 0, 53}, {0, 1, -0.5});  // low-z rim
    expect_bent({149, 0, 20}, {0.5, 1, 0});   // high-x rim
    srf.bump_scale = 2.0;                     // cells of 100 scene units
    expect_bent({206, 0, 40}, {-0.5, 1, 0});
    expect_bent({203, 0, 40}, {0, 1, 0});
    // Far below 0 the offset, from the pattern scale, decides: a joint at
    // pattern scale 1, a rim at 2.
    expect_bent({6 - 200000000, 0, 40}, {0, 1, 0});
    srf.ptrn_scale = 2.0;
    expect_bent({6 - 200000000, 0, 40}, {-0.5, 1, 0});
}

TEST_F(Bumps, MatricesCarryPointsInAndPerturbationsOut) {
    srf.bump_type = 8;
    srf.bump_depth = 0.5;
    tri.mat_index = 0;
    mats[0].m[3][0] = 100.0;  // bump space moved by 100 along x
    mats[1] = MAT4{};         // perturbations come back with x and z exchanged
    mats[1].m[0][2] = mats[1].m[1][1] = mats[1].m[2][0] = mats[1].m[3][3] = 1.0;
    expect_bent({3, 0, 20}, {0, 1, -0.5});
}

TEST_F(Bumps, AnimatedWavesRepeatAfterOnePeriod) {
    srf.bump_type = 6;
    srf.bump_depth = 1.0;
    settings.wave_period = 12;
    int moved = 0;
    for (const V3D& p : random_points(19, 30, 200.0)) {
        V3D at[3];
        const int16_t frames[3] = {0, 12, 3};
        for (int k = 0; k < 3; ++k) {
            settings.frame_current = frames[k];
            at[k] = bent(p);
        }
        EXPECT_TRUE(std::fabs(at[0].x - at[1].x) < 1e-9 && std::fabs(at[0].z - at[1].z) < 1e-9);
        moved += std::fabs(at[0].x - at[2].x) > 1e-6;
    }
    EXPECT_GT(moved, 0);
}

}  // namespace
}  // namespace zy::test
