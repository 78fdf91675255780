#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "geometry/ray.h"
#include "geometry/triangle.h"
#include "scene/rt_var.h"

namespace zy {
namespace {

void expect_vec(const V3D& v, const V3D& want) {
    EXPECT_DOUBLE_EQ(v.x, want.x);
    EXPECT_DOUBLE_EQ(v.y, want.y);
    EXPECT_DOUBLE_EQ(v.z, want.z);
}

// One triangle (0,0,0), (1,0,0), (0,1,0) of surface 0.
class TriangleTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(&rt_var, 0, sizeof rt_var);  // n_srf 0: surface 0 is valid
        for (int i = 0; i < 3; ++i) {
            tri.v[i] = &points[i];
            tri.vn[i] = {0, 0, 30000};
        }
    }

    // The normal at p seen along dir; back receives the side flag.
    V3D normal(const V3D& dir, const V3D& p, uint8_t& back) {
        RT_RAY ray{};
        ray.dir = dir;
        V3D out;
        rt_tri_nrm(tri, ray, p, out, back);
        return out;
    }

    V3D points[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    TRIANGLE tri{};
};

TEST_F(TriangleTest, NormalFacesTheRayFlatOrBlendedByBarycentricWeights) {
    const double len = std::sqrt(0.375);
    const struct {
        bool flat;
        V3D dir, p, want;
        int back;
    } cases[] = {
        {true, {0, 0, 1}, {0.2, 0.2, 0}, {0, 0, -1}, 1},  // travels along the normal: meets the back
        {true, {0, 0.6, -0.8}, {0.2, 0.2, 0}, {0, 0, 1}, 0},
        // Weights 0.5, 0.25, 0.25 of the vertex normals x, y, z.
        {false, {0, 0, -1}, {0.25, 0.25, 0}, {0.5 / len, 0.25 / len, 0.25 / len}, 0},
        {false, {0, 0, -1}, {1, 0, 0}, {0, 1, 0}, 0},  // at a vertex only its normal counts
        // The side comes from the plane normal, not from the blend: this ray
        // runs along the blend (1,0,0) but against the plane normal.
        {false, {0.9, 0, -0.1}, {0, 0, 0}, {1, 0, 0}, 0},
        {false, {-0.9, 0, 0.1}, {0, 0, 0}, {-1, 0, 0}, 1},
    };
    tri.vn[0] = {30000, 0, 0};
    tri.vn[1] = {0, 30000, 0};
    tri.vn[2] = {0, 0, 30000};
    rt_tri_init(tri);
    for (const auto& c : cases) {
        tri.flags = c.flat ? kTriFlat : 0;
        uint8_t back = 7;
        expect_vec(normal(c.dir, c.p, back), c.want);
        EXPECT_EQ(back, c.back) << c.dir.x << " " << c.dir.z;
    }
}

// The vertex (1,0,0) leans its normal by 45 degrees; the light lies toward +x,
// slightly behind the plane. Moving toward the light, the blended normal turns
// toward it (lean +x: lit, 2) or away from it (lean -x: dark, 1). From the back
// both normals are flipped: the +x lean now turns away.
TEST_F(TriangleTest, VaultLightsSurfacesTurningTowardTheLight) {
    const struct {
        int16_t lean;
        double view_z;
        int16_t want;
    } cases[] = {{30000, -1.0, 2}, {-30000, -1.0, 1}, {30000, 1.0, 1}};
    for (const auto& c : cases) {
        tri.vn[1] = {c.lean, 0, 30000};
        rt_tri_init(tri);
        const V3D p{0.25, 0.25, 0};
        uint8_t back;
        const V3D n = normal({0, 0, c.view_z}, p, back);
        V3D l{1, 0, -0.1};
        v3d_nrm(l);
        EXPECT_EQ(rt_tri_vault(tri, back, p, l, n), c.want) << c.lean << " " << c.view_z;
    }
}

}  // namespace
}  // namespace zy
