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

}  // namespace
}  // namespace zy
