#include "geometry/triangle.h"

#include <algorithm>

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

    tri.vault_step = std::min({v3d_len(edge[0]), v3d_len(edge[1]), v3d_len(edge[2])}) / 4.0;
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
