#include <gtest/gtest.h>

#include "geometry/xmath.h"

namespace zy {
namespace {

void expect_vec(const V3D& v, const V3D& want) {
    EXPECT_DOUBLE_EQ(v.x, want.x);
    EXPECT_DOUBLE_EQ(v.y, want.y);
    EXPECT_DOUBLE_EQ(v.z, want.z);
}

TEST(Xmath, NormalisingLeavesShortVectorsAlone) {
    // v3d_nrm gives up below machine epsilon, the geometry's variant below a
    // squared length of 1e-14.
    const struct {
        V3D v;
        double length;
        V3D plain, geometric;
    } cases[] = {
        {{0, 0, 0}, 0, {0, 0, 0}, {0, 0, 0}},
        {{1e-17, 0, 0}, 0, {1e-17, 0, 0}, {1e-17, 0, 0}},
        {{1e-7, 0, 0}, 1e-7, {1, 0, 0}, {1e-7, 0, 0}},
        {{0, 2e-7, 0}, 2e-7, {0, 1, 0}, {0, 1, 0}},
        {{3, 0, 4}, 5, {0.6, 0, 0.8}, {0.6, 0, 0.8}},
    };
    for (const auto& c : cases) {
        V3D plain = c.v, geometric = c.v;
        EXPECT_DOUBLE_EQ(v3d_nrm(plain), c.length);
        v3d_nrm_unless_degenerate(geometric);
        expect_vec(plain, c.plain);
        expect_vec(geometric, c.geometric);
    }
}

// The plane normals of real triangles are checked with the triangle set-up.
TEST(Xmath, CrossProductMayWriteOverEitherInputAndCollinearPointsHaveNoNormal) {
    const V3D a{1, 2, 3}, b{-4, 5, 0.5};
    const V3D want{2 * 0.5 - 3 * 5, 3 * -4 - 1 * 0.5, 1 * 5 - 2 * -4};
    V3D separate, first = a, second = b;
    v3d_mul(a, b, separate);
    v3d_mul(first, b, first);
    v3d_mul(a, second, second);
    for (const V3D& v : {separate, first, second}) expect_vec(v, want);

    V3D n{1, 1, 1};
    v3d_plane_nrm({0, 0, 0}, {1, 1, 1}, {2, 2, 2}, n);
    expect_vec(n, {0, 0, 0});
}

TEST(Xmath, TransformTakesRowsAsImagesOfTheAxesAddsRowThreeAndIgnoresColumnThree) {
    const MAT4 m{{{0, 1, 0, 99}, {1, 0, 0, 99}, {0, 0, 1, 99}, {10, -20, 30, 99}}};  // x goes to y, y to x
    V3D p{1, 2, 3};
    v3d_trnsf(p, p, m);
    expect_vec(p, {12, -19, 33});
}

}  // namespace
}  // namespace zy
