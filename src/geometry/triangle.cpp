#include "geometry/triangle.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "driver/stop.h"
#include "geometry/ray.h"
#include "scene/rt_var.h"

namespace zy {

namespace {

// Vertex normals blended with the barycentric weights of p, not normalised.
// The weight of vertex 0 comes from edge 1, of vertex 1 from edge 2, of vertex 2
// from edge 0; the sum and the blend keep their fixed order.
V3D interpolated_normal(const TRIANGLE& tri, const V3D& p) {
    const double a0 = tri_edge(tri, 0, p);
    const double a1 = tri_edge(tri, 1, p);
    const double a2 = tri_edge(tri, 2, p);
    const double s = (a1 + a0) + a2;
    const double w1 = a2 / s;
    const double w0 = a1 / s;
    const double w2 = a0 / s;
    const V3D vn[3] = {vertex_normal(tri, 0), vertex_normal(tri, 1), vertex_normal(tri, 2)};
    return {w1 * vn[1].x + w0 * vn[0].x + w2 * vn[2].x, w1 * vn[1].y + w0 * vn[0].y + w2 * vn[2].y,
            w1 * vn[1].z + w0 * vn[0].z + w2 * vn[2].z};
}

// Why the reach holds. Let the triangle have vertices of magnitude at most m,
// longest edge l, twice its area A, and stretch k = l^2 / A. The test takes t
// from the plane and p = org + t dir; p passes only if each edge function,
// rounded, reaches its constant. Each edge function is off by at most a few
// dozen units in the last place of l (m + |p|), and the three add up to A, so
// each barycentric weight of p is off by that over A: p lies within a few
// hundred eps k m of the triangle's plane region (the plane normal is off by
// eps k as well). The plane equation puts p within a few dozen eps (m + |org|)
// of the plane, and p itself lies within a few eps (|org| + |p|) of the exact
// ray. So the exact ray passes within reach + kBoundsSlack |org| of the
// triangle at the hit, where reach = kBoundsSlack (k + 1) 5 m (l is at most
// 2 sqrt(3) m) exceeds all of that by a factor of more than 10^5 for every
// triangle given one (k <= 1e6, m <= 1e30). l2 is the longest edge squared.
float hit_reach(const TRIANGLE& tri, const V3D edge[3], double l2) {
    constexpr double kLargestCoordinate = 1e30;
    constexpr double kMostStretched = 1e6;
    double m = 0.0;
    for (const V3D* v : tri.v) m = std::max({m, std::fabs(v->x), std::fabs(v->y), std::fabs(v->z)});
    if (!(m <= kLargestCoordinate)) return -1.0f;
    // The test's normal must be the unit one the plane gives.
    if (!(std::fabs(v3d_len_sqr(tri.nrm) - 1.0) <= 1e-9)) return -1.0f;
    // (nrm x e0) . e2 is twice the area, up to a rounding of eps k.
    const double area2 = std::fabs(v3d_scal(tri.en[0], edge[2]));
    if (!(area2 > 0.0) || !(l2 <= kMostStretched * area2)) return -1.0f;
    const double reach = kBoundsSlack * (l2 / area2 + 1.0) * 5.0 * m;
    // Rounded up: a float is off by at most 2^-24 of itself, down to the
    // smallest normal float.
    return std::max(static_cast<float>(reach * (1.0 + 0x1p-20)), std::numeric_limits<float>::min());
}

}  // namespace

void rt_tri_init(TRIANGLE& tri) {
    // n_srf itself is the floor's surface.
    if (tri.srf_index < 0 || tri.srf_index > rt_var.n_srf) ZY_STOP(kErrInternal);

    const V3D& p0 = *tri.v[0];
    const V3D& p1 = *tri.v[1];
    const V3D& p2 = *tri.v[2];
    v3d_plane_nrm(p0, p1, p2, tri.nrm);
    tri.d = v3d_scal(tri.nrm, p0);

    V3D edge[3];
    v3d_sub(p1, p0, edge[0]);
    v3d_sub(p2, p1, edge[1]);
    v3d_sub(p0, p2, edge[2]);
    for (int i = 0; i < 3; ++i) {
        v3d_mul(tri.nrm, edge[i], tri.en[i]);
        tri.ec[i] = v3d_scal(tri.en[i], *tri.v[i]);
    }

    // v3d_len is the root of v3d_len_sqr: each edge's length is taken once.
    const double sq[3] = {v3d_len_sqr(edge[0]), v3d_len_sqr(edge[1]), v3d_len_sqr(edge[2])};
    tri.vault_step = std::min({std::sqrt(sq[0]), std::sqrt(sq[1]), std::sqrt(sq[2])}) / 4.0;
    tri.reach = hit_reach(tri, edge, std::max({sq[0], sq[1], sq[2]}));
}

void rt_tri_nrm(const TRIANGLE& tri, const RT_RAY& ray, const V3D& p, V3D& out, uint8_t& back) {
    if (tri.flags & kTriFlat) {
        out = tri.nrm;
    } else {
        out = interpolated_normal(tri, p);
        v3d_nrm_unless_degenerate(out);
    }
    // The side is decided by the plane normal, for smooth triangles too.
    if (v3d_scal(ray.dir, tri.nrm) > 0) {
        v3d_flip(out);
        back = 1;
    } else {
        back = 0;
    }
}

int16_t rt_tri_vault(const TRIANGLE& tri, uint8_t back, const V3D& p, const V3D& l, const V3D& n) {
    // The light's direction projected into the plane, one vault step long.
    V3D q;
    v3d_add(p, l, q);
    const double f = tri.d - v3d_scal(q, tri.nrm);
    const V3D projected{q.x + f * tri.nrm.x, q.y + f * tri.nrm.y, q.z + f * tri.nrm.z};
    V3D w;
    v3d_sub(projected, p, w);
    v3d_nrm_unless_degenerate(w);
    v3d_fmul(w, tri.vault_step, w);
    V3D r;
    v3d_add(p, w, r);

    V3D nr = interpolated_normal(tri, r);
    if (back == 1) v3d_flip(nr);
    return (v3d_scal(l, nr) - v3d_scal(l, n) < 0) ? 1 : 2;
}

}  // namespace zy
