#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "geometry/ray.h"
#include "geometry/triangle.h"
#include "scene/rt_var.h"
#include "scene/trace_state.h"
#include "support/test_support.h"

namespace zy {
namespace {

void expect_vec(const V3D& v, double x, double y, double z) {
    EXPECT_DOUBLE_EQ(v.x, x);
    EXPECT_DOUBLE_EQ(v.y, y);
    EXPECT_DOUBLE_EQ(v.z, z);
}

// One triangle (0,0,0), (1,0,0), (0,1,0) in rt_var.tris, two surfaces.
class TriangleTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(&rt_var, 0, sizeof rt_var);
        rt_var.n_srf = 2;
        rt_var.n_tri = 1;
        rt_var.n_pnt = 3;
        rt_var.points = points;
        rt_var.tris = &tri;
        tri = TRIANGLE{};
        for (int i = 0; i < 3; ++i) {
            tri.v[i] = &points[i];
            tri.vn[i] = {0, 0, 1};
        }
        ts.prepare_for_frame();
    }
    void TearDown() override { std::memset(&rt_var, 0, sizeof rt_var); }

    uint8_t back() const { return ts.back[0]; }

    V3D points[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    TRIANGLE tri{};
    TraceState ts;
};

TEST_F(TriangleTest, PlaneEdgesBoxAndVaultStep) {
    rt_tri_init(tri);
    expect_vec(tri.nrm, 0, 0, 1);
    EXPECT_EQ(tri.d, 0.0);
    expect_vec(tri.en[0], 0, 1, 0);
    expect_vec(tri.en[1], -1, -1, 0);
    expect_vec(tri.en[2], 1, 0, 0);
    EXPECT_EQ(tri.ec[0], 0.0);
    EXPECT_EQ(tri.ec[1], -1.0);
    EXPECT_EQ(tri.ec[2], 0.0);
    expect_vec(tri.bb_min, 0, 0, 0);
    expect_vec(tri.bb_max, 1, 1, 0);
    EXPECT_EQ(tri.vault_step, 0.25);

    const V3D p{0.25, 0.25, 0};
    EXPECT_EQ(tri_edge(tri, 0, p), 0.25);
    EXPECT_EQ(tri_edge(tri, 1, p), 0.5);
    EXPECT_EQ(tri_edge(tri, 2, p), 0.25);
    // A point on an edge counts as inside: no edge function is negative.
    const V3D on_edge{0.5, 0, 0};
    EXPECT_EQ(tri_edge(tri, 0, on_edge), 0.0);
    EXPECT_GE(tri_edge(tri, 1, on_edge), 0.0);
    EXPECT_GE(tri_edge(tri, 2, on_edge), 0.0);
}

TEST_F(TriangleTest, BoxAndPlaneOfAShiftedTriangle) {
    points[0] = {2, -1, 5};
    points[1] = {2, 3, 5};
    points[2] = {-4, -1, 5};
    rt_tri_init(tri);
    expect_vec(tri.nrm, 0, 0, 1);  // (0,4,0) x (-6,0,0) = (0,0,24)
    EXPECT_EQ(tri.d, 5.0);
    expect_vec(tri.bb_min, -4, -1, 5);
    expect_vec(tri.bb_max, 2, 3, 5);
    EXPECT_EQ(tri.vault_step, 1.0);  // shortest edge 4
    // Every vertex lies on the two edges that meet there.
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(tri_edge(tri, i, points[i]), 0.0, 1e-12);
        EXPECT_NEAR(tri_edge(tri, (i + 2) % 3, points[i]), 0.0, 1e-12);
    }
}

TEST_F(TriangleTest, SurfaceIndexMayNameTheFloorButNothingBeyond) {
    for (int16_t index : {-1, 0, 2, 3}) {
        test::InProcess run;  // a stop throws
        SetUp();
        tri.srf_index = index;
        EXPECT_EQ(test::stop_error_of([&] { rt_tri_init(tri); }), index == -1 || index == 3 ? 8 : -1) << index;
    }
}

TEST_F(TriangleTest, VertexNormalsAreNormalisedUnlessTooShort) {
    tri.vn[0] = {0, 0, 0};
    tri.vn[1] = {0, 3, 4};
    tri.vn[2] = {1e-8, 0, 0};
    rt_tri_init(tri);
    expect_vec(tri.vn[0], 0, 0, 0);
    expect_vec(tri.vn[1], 0, 0.6, 0.8);
    expect_vec(tri.vn[2], 1e-8, 0, 0);
}

TEST_F(TriangleTest, FlatNormalFacesTheRay) {
    rt_tri_init(tri);
    tri.flags = kTriFlat;
    RT_RAY ray{};
    V3D out;
    ray.dir = {0, 0, 1};  // travels along the normal: meets the back
    rt_tri_nrm(ts, tri, ray, {0.2, 0.2, 0}, out);
    expect_vec(out, 0, 0, -1);
    EXPECT_EQ(back(), 1);
    ray.dir = {0, 0.6, -0.8};
    rt_tri_nrm(ts, tri, ray, {0.2, 0.2, 0}, out);
    expect_vec(out, 0, 0, 1);
    EXPECT_EQ(back(), 0);
}

TEST_F(TriangleTest, SmoothNormalBlendsVertexNormalsByBarycentricWeights) {
    tri.vn[0] = {1, 0, 0};
    tri.vn[1] = {0, 1, 0};
    tri.vn[2] = {0, 0, 1};
    rt_tri_init(tri);
    RT_RAY ray{};
    ray.dir = {0, 0, -1};
    V3D out;
    // Weights 0.5, 0.25, 0.25 at (0.25, 0.25): (0.5, 0.25, 0.25) normalised.
    rt_tri_nrm(ts, tri, ray, {0.25, 0.25, 0}, out);
    const double len = std::sqrt(0.375);
    expect_vec(out, 0.5 / len, 0.25 / len, 0.25 / len);
    EXPECT_EQ(back(), 0);
    // At a vertex only that vertex's normal counts.
    rt_tri_nrm(ts, tri, ray, {1, 0, 0}, out);
    expect_vec(out, 0, 1, 0);
    // The side comes from the plane normal, not from the blend: this ray runs
    // along the blend (1,0,0) but against the plane normal, so nothing flips.
    ray.dir = {0.9, 0, -0.1};
    rt_tri_nrm(ts, tri, ray, {0, 0, 0}, out);
    expect_vec(out, 1, 0, 0);
    EXPECT_EQ(back(), 0);
    ray.dir = {-0.9, 0, 0.1};
    rt_tri_nrm(ts, tri, ray, {0, 0, 0}, out);
    expect_vec(out, -1, 0, 0);
    EXPECT_EQ(back(), 1);
}

// The vertex (1,0,0) leans its normal by 45 degrees; the light lies toward +x,
// slightly behind the plane. Moving toward the light, the blended normal turns
// toward it (lean +x) or away from it (lean -x).
class VaultTest : public TriangleTest {
protected:
    int16_t vault(double lean, bool seen_from_back) {
        tri.vn[1] = {lean, 0, 1};
        rt_tri_init(tri);
        const V3D p{0.25, 0.25, 0};
        RT_RAY ray{};
        ray.dir = {0, 0, seen_from_back ? 1.0 : -1.0};
        V3D n;
        rt_tri_nrm(ts, tri, ray, p, n);
        V3D l{1, 0, -0.1};
        v3d_nrm(l);
        return rt_tri_vault(ts, tri, p, l, n);
    }
};

TEST_F(VaultTest, SurfaceTurningTowardTheLightIsLit) { EXPECT_EQ(vault(1.0, false), 2); }

TEST_F(VaultTest, SurfaceTurningAwayIsDark) { EXPECT_EQ(vault(-1.0, false), 1); }

TEST_F(VaultTest, BackSideFlipsTheBlendedNormal) {
    // From the back, both normals are flipped: the +x lean now turns away.
    EXPECT_EQ(vault(1.0, true), 1);
}

}  // namespace
}  // namespace zy
