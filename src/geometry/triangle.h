// Run-time triangle: the references read from a frame plus everything the ray
// tests need precomputed. What a ray learns about it is the ray's trace state.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "geometry/xmath.h"
#include "scene/records.h"

namespace zy {

struct RT_RAY;

/// Triangle flag bits.
inline constexpr uint8_t kTriFlat = 1;   ///< shade with the plane normal
inline constexpr uint8_t kTriOpaque = 2; ///< blocks light completely

/// What the ray tests read comes first and fills two cache lines, so that a
/// test touches those two only.
struct alignas(64) TRIANGLE {
    V3D nrm;            ///< unit plane normal
    double d;           ///< plane constant nrm . v[0]
    V3D en[3];          ///< edge normals in the plane, pointing inside
    double ec[3];       ///< edge constants en[i] . v[i]
    const V3D* v[3];    ///< vertices, pointing into rt_var.points (or floor_crd)
    V3I vn[3];          ///< vertex normals for smooth shading as the frame stores them
    /// How far from the triangle its ray test can report a hit, for a ray
    /// from the origin (the ray's origin adds its own part); negative when no
    /// such bound is kept (a degenerate, very thin or enormous triangle).
    float reach;
    double vault_step;  ///< a quarter of the shortest edge
    int32_t group;      ///< vertex-sharing group, 0 none, -1 the floor
    int16_t srf_index;  ///< index into rt_var.surfaces
    uint8_t flags;      ///< kTriFlat | kTriOpaque
    int8_t mat_index;   ///< matrix set of the object, negative for none
};
static_assert(offsetof(TRIANGLE, v) == 128 && sizeof(TRIANGLE) == 192);

/// Scale of every widening for the rounding of the ray test: far above that
/// rounding, which stays within a few hundred units in the last place of the
/// sizes involved.
inline constexpr double kBoundsSlack = 0x1p-30;

/// Lower and upper corner of the triangle's bounding box.
inline void triangle_box(const TRIANGLE& tri, double lo[3], double hi[3]) {
    const V3D& p0 = *tri.v[0];
    const V3D& p1 = *tri.v[1];
    const V3D& p2 = *tri.v[2];
    lo[0] = std::min({p0.x, p1.x, p2.x});
    lo[1] = std::min({p0.y, p1.y, p2.y});
    lo[2] = std::min({p0.z, p1.z, p2.z});
    hi[0] = std::max({p0.x, p1.x, p2.x});
    hi[1] = std::max({p0.y, p1.y, p2.y});
    hi[2] = std::max({p0.z, p1.z, p2.z});
}

/// Completes a triangle whose v, vn and srf_index are set (stops with error 8
/// on a surface index outside 0..n_srf).
void rt_tri_init(TRIANGLE& tri);

/// Numbers the vertex-sharing groups of the frame's triangles.
void rt_tri_group();

/// Shading normal at p; back receives the triangle's back flag (1 when the ray
/// meets the back side).
void rt_tri_nrm(const TRIANGLE& tri, const RT_RAY& ray, const V3D& p, V3D& out, uint8_t& back);

/// 2 when the smoothed surface turns toward the light l from p, else 1; back is
/// the triangle's back flag.
int16_t rt_tri_vault(const TRIANGLE& tri, uint8_t back, const V3D& p, const V3D& l, const V3D& n);

/// Scale of the stored vertex normals.
inline constexpr double kNormalScale = 30000.0;

/// Unit vertex normal k, from its stored form each time it is needed: a
/// sixth of the triangle record's size, for a few divisions per shading.
inline V3D vertex_normal(const TRIANGLE& tri, int k) {
    V3D n{tri.vn[k].x / kNormalScale, tri.vn[k].y / kNormalScale, tri.vn[k].z / kNormalScale};
    v3d_nrm_unless_degenerate(n);
    return n;
}

/// Edge function a_i = en[i] . p - ec[i].
inline double tri_edge(const TRIANGLE& tri, int i, const V3D& p) { return v3d_scal(tri.en[i], p) - tri.ec[i]; }

}  // namespace zy
