#include <gtest/gtest.h>

#include "geometry/xmath.h"

namespace zy {
namespace {

void expect_vec(const V3D& v, double x, double y, double z) {
    EXPECT_DOUBLE_EQ(v.x, x);
    EXPECT_DOUBLE_EQ(v.y, y);
    EXPECT_DOUBLE_EQ(v.z, z);
}

TEST(Xmath, NormaliseLeavesVectorsShorterThanMachineEpsilon) {
    V3D zero{0, 0, 0};
    EXPECT_EQ(v3d_nrm(zero), 0.0);
    expect_vec(zero, 0, 0, 0);

    V3D tiny{1e-17, 0, 0};
    EXPECT_EQ(v3d_nrm(tiny), 0.0);
    EXPECT_EQ(tiny.x, 1e-17);

    V3D v{3, 0, 4};
    EXPECT_EQ(v3d_nrm(v), 5.0);
    expect_vec(v, 0.6, 0, 0.8);
}

TEST(Xmath, DegenerateLimitOfGeometryIsOnTheSquaredLength) {
    // 1e-7 squared is 1e-14, below the limit; v3d_nrm would still normalise it.
    V3D short_one{1e-7, 0, 0};
    v3d_nrm_unless_degenerate(short_one);
    EXPECT_EQ(short_one.x, 1e-7);
    V3D long_enough{0, 2e-7, 0};
    v3d_nrm_unless_degenerate(long_enough);
    EXPECT_EQ(long_enough.y, 1.0);
}

TEST(Xmath, CrossProductMayWriteOverEitherInput) {
    const V3D a{1, 2, 3}, b{-4, 5, 0.5};
    V3D separate;
    v3d_mul(a, b, separate);
    expect_vec(separate, 2 * 0.5 - 3 * 5, 3 * -4 - 1 * 0.5, 1 * 5 - 2 * -4);
    V3D first = a;
    v3d_mul(first, b, first);
    expect_vec(first, separate.x, separate.y, separate.z);
    V3D second = b;
    v3d_mul(a, second, second);
    expect_vec(second, separate.x, separate.y, separate.z);
}

TEST(Xmath, PlaneNormalFollowsThePointOrder) {
    V3D n;
    v3d_plane_nrm({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, n);
    expect_vec(n, 0, 0, 1);
    v3d_plane_nrm({0, 0, 0}, {0, 1, 0}, {1, 0, 0}, n);
    expect_vec(n, 0, 0, -1);
    v3d_plane_nrm({0, 0, 0}, {1, 1, 1}, {2, 2, 2}, n);
    expect_vec(n, 0, 0, 0);
}

TEST(Xmath, TransformAddsRowThreeAndIgnoresColumnThree) {
    MAT4 m{};
    for (int i = 0; i < 4; ++i) m.m[i][i] = 1.0;
    m.m[3][0] = 10;
    m.m[3][1] = -20;
    m.m[3][2] = 30;
    for (auto& row : m.m) row[3] = 99.0;
    V3D p{1, 2, 3};
    v3d_trnsf(p, p, m);
    expect_vec(p, 11, -18, 33);

    // Rows are the images of the axes (row vectors multiplied from the left).
    MAT4 swap{};
    swap.m[0][1] = 1;  // x goes to y
    swap.m[1][0] = 1;  // y goes to x
    swap.m[2][2] = 1;
    V3D q;
    v3d_trnsf({1, 2, 3}, q, swap);
    expect_vec(q, 2, 1, 3);
}

}  // namespace
}  // namespace zy
