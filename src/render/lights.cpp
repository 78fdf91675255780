#include "render/lights.h"

#include <algorithm>
#include <cmath>

#include "cells/leaf_bounds.h"
#include "cells/reference_hits.h"
#include "cells/search.h"
#include "geometry/floor.h"
#include "materials/materials.h"
#include "render/surface_material.h"

namespace zy {

namespace {

constexpr int kExitListSize = 100;

// Passes the light through occluder T at X; 0 when nothing gets through.
int16_t filter(const Scene& scene, const TRIANGLE& T, const RT_RAY& s, const V3D& X, RT_COL& lc) {
    if ((T.flags & kTriOpaque) != 0) return 0;
    MATERIAL m;
    surface_material_at(scene, T, X, m);
    if (m.transp == 0) return 0;
    V3D nT;
    uint8_t back;
    rt_tri_nrm(T, s, X, nT, back);
    rt_perturb_nrm(scene, T, X, nT);
    const double w = m.transp * (m.transp + (1 - m.transp) * std::fabs(v3d_scal(s.dir, nT)));
    if ((scene.settings.surfaces[T.srf_index].srf_flags & kSrfTinted) != 0) {
        lc.r = lc.r * w * m.color.r;
        lc.g = lc.g * w * m.color.g;
        lc.b = lc.b * w * m.color.b;
    } else {
        lc.r = lc.r * w;
        lc.g = lc.g * w;
        lc.b = lc.b * w;
    }
    return lc.r + lc.g + lc.b <= 0 ? 0 : 1;
}

V3D point_along(const RT_RAY& s, double t) {
    return {s.org.x + t * s.dir.x, s.org.y + t * s.dir.y, s.org.z + t * s.dir.z};
}

// An occluder the shadow ray leaves its own body through.
struct Exit {
    const TRIANGLE* tri;
    double t;
};

}  // namespace

void rt_lightsource(const Scene& scene, const RT_RAY& ray, const double& max, RT_COL& colour, double& dist) {
    const RT_VAR& settings = scene.settings;
    double best = max;
    const LIGHT* hit = nullptr;
    for (int32_t i = 0; i < settings.n_light_refs_stored; ++i) {
        const LIGHT& light = *settings.light_refs[i];
        V3D w;
        v3d_sub(ray.org, light.pos, w);
        const double b = v3d_scal(ray.dir, w);
        const double disc = b * b - v3d_scal(w, w) + light.radius * light.radius;
        if (disc < 0) continue;
        const double t = -b - std::sqrt(disc);  // only the near side shows
        if (t > 0 && t < best) {
            best = t;
            hit = &light;
        }
    }
    if (hit != nullptr) {
        colour = hit->col;
        dist = best;
    } else {
        dist = kFltMax;
    }
}

int16_t rt_bright(TraceState& ts, const Scene& scene, const TRIANGLE& tri, uint8_t tri_back, const V3D& p,
                  const CELL* near, const V3D& n, const V3D& L, const double& dist, RT_COL& lc) {
    RT_RAY s;  // the walk's fields are set by rt_ray_init and the walk
    s.org = p;
    s.dir = L;
    rt_ray_init(scene, s);

    int behind = v3d_scal(s.dir, tri.nrm) < 0 ? 1 : 0;
    if (tri_back == 1) behind = 1 - behind;
    if (behind == 1) {
        if ((tri.flags & kTriFlat) != 0) return 0;
        if (rt_tri_vault(tri, tri_back, s.org, s.dir, n) == 1) return 0;
    }

    // Facets of the hit's own smooth body that the ray leaves through while the
    // light is behind the facet; the last of them is where the ray really exits.
    Exit exits[kExitListSize];
    int exit_n = 0;
    ++ts.rays.shadow;
    PassedOccluders& passed = ts.passed;
    passed.next_ray();
    const bool ahead = prefetches(scene);
    const SURFACE* const surfaces = scene.settings.surfaces;
    ReferenceHit hits[kHitChunk];
    // Beyond kFltMax a hit needs no edge test, which the leaves' bounds assume.
    const bool bounded = dist <= kFltMax;
    const LeafBoundsTest bounds(s);
    for (const CELL* cell = rt_cell_first(scene, s, near); cell != nullptr;) {
        const int32_t count = !s.cell_empty && cell->count > 0 && (!bounded || bounds.may_hit(*cell)) ? cell->count : 0;
        for (int32_t i = 0; ahead && i < kSearchPrefetch && i < count; ++i) prefetch_reference(*cell, i);
        for (int32_t begin = 0; begin < count; begin += kHitChunk) {
            const int32_t end = count - begin < kHitChunk ? count : begin + kHitChunk;
            // The test is a pure function of the ray and the triangle, so a
            // triangle met again in a later cell is tested again with the
            // same result; only the occluders passed need remembering.
            const int32_t n = reference_hits(HitRule::kShadow, *cell, begin, end, s, dist, ahead, hits);
            for (int32_t h = 0; h < n; ++h) {
                const TRIANGLE& T = *cell->tris[hits[h].ref];
                const double t = hits[h].t;
                if (&T == &tri || passed.contains(&T) || (surfaces[T.srf_index].srf_flags & kSrfNoShadow) != 0)
                    continue;
                int leaves = v3d_scal(s.dir, T.nrm) >= 0 ? 1 : 0;
                if (tri_back == 1) leaves = 1 - leaves;
                if (behind == 1 && T.group == tri.group && leaves == 1) {
                    if (exit_n < kExitListSize) exits[exit_n++] = {&T, t};
                } else if (filter(scene, T, s, point_along(s, t), lc) == 0) {
                    return 0;
                }
                passed.add(&T);
            }
        }
        const CELL* next = rt_cell_next(scene, s);
        if (next == cell) break;
        cell = next;
    }
    for (int i = 0; i + 1 < exit_n; ++i) {
        if (filter(scene, *exits[i].tri, s, point_along(s, exits[i].t), lc) == 0) return 0;
    }

    const TRIANGLE& floor = scene.floor;
    if (scene.settings.floor_on == 1 && &tri != &floor) {
        if ((surfaces[floor.srf_index].srf_flags & kSrfNoShadow) != 0) return 1;
        const double fy = scene.floor_height();
        double t = kFltMax;
        V3D X;
        if ((s.org.y > fy && s.dir.y < 0) || (s.org.y < fy && s.dir.y > 0)) rt_floor_intersect(scene, s, X, t);
        if (t < dist && filter(scene, floor, s, X, lc) == 0) return 0;
    }
    return 1;
}

}  // namespace zy
