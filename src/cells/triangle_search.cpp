#include <cstddef>

#include "cells/search.h"
#include "geometry/floor.h"

namespace zy {

namespace {

// A cell's box grown by its level's tolerance, bounds included: a hit is taken
// only there, so the first cell along the ray with a hit holds the nearest one.
struct GrownBox {
    double lo[3], hi[3];

    GrownBox(const CELL& cell, double tau) {
        for (int a = 0; a < 3; ++a) {
            lo[a] = cell.min[a] - tau;
            hi[a] = cell.max[a] + tau;
        }
    }

    bool contains(const V3D& p) const {
        return lo[0] <= p.x && p.x <= hi[0] && lo[1] <= p.y && p.y <= hi[1] && lo[2] <= p.z && p.z <= hi[2];
    }
};

V3D point_at(const RT_RAY& ray, double t) {
    return {ray.org.x + t * ray.dir.x, ray.org.y + t * ray.dir.y, ray.org.z + t * ray.dir.z};
}

}  // namespace

const TRIANGLE* rt_cell_find_tri(TraceState& ts, const Scene& scene, const CELL& cell, const RT_RAY& ray,
                                 const TRIANGLE* exclude) {
    const GrownBox box(cell, scene.cell_tolerance[cell.level]);
    const TRIANGLE* const frame_tris = scene.settings.tris;
    uint8_t* const marks = ts.ray_mark.data();
    double* const cached_t = ts.t.data();
    const TRIANGLE* best = nullptr;
    double best_t = kFltMax;
    SearchTri spare;
    for (int32_t k = 0; k < kSearchPrefetch; ++k) prefetch_reference(ts, frame_tris, cell, k);
    for (int32_t k = 0; k < cell.count; ++k) {
        prefetch_reference(ts, frame_tris, cell, k + kSearchPrefetch);
        const TRIANGLE* tri = cell.tris[k];
        if (tri == exclude) continue;
        // Cells hold only frame triangles, whose slot is their index.
        const std::ptrdiff_t slot = tri - frame_tris;
        const uint8_t mark = marks[slot];
        if (mark & kMarkTested) {
            // Met in an earlier cell: its distance is known, only the cell decides.
            if ((mark & kMarkHit) && cached_t[slot] < best_t && box.contains(point_at(ray, cached_t[slot]))) {
                best = tri;
                best_t = cached_t[slot];
            }
            continue;
        }

        const SearchTri& g = search_tri(cell, *tri, slot, spare);
        double t = kFltMax;
        V3D p{};
        const double den = v3d_scal(ray.dir, g.nrm);
        if (den != 0) {
            t = (g.d - v3d_scal(ray.org, g.nrm)) / den;
            if (!(t > kFltEpsilon) || !(t < best_t)) {
                t = kFltMax;
            } else {
                p = point_at(ray, t);
                if (v3d_scal(g.en[0], p) < g.ec[0] || v3d_scal(g.en[1], p) < g.ec[1] || v3d_scal(g.en[2], p) < g.ec[2]) {
                    t = kFltMax;
                } else {
                    cached_t[slot] = t;
                }
            }
        }
        uint8_t new_mark = kMarkTested;
        if (t < kFltMax) {
            new_mark |= kMarkHit;
            if (t < best_t && box.contains(p)) {
                best = tri;
                best_t = t;
            }
        }
        // With the tag list full a triangle stays unmarked and is tested again if met.
        if (ts.tri_taged_n < kTagListSize) {
            marks[slot] = new_mark;
            ts.tri_taged[static_cast<std::size_t>(ts.tri_taged_n++)] = static_cast<int32_t>(slot);
        }
    }
    return best;
}

const TRIANGLE* rt_find_tri(TraceState& ts, const Scene& scene, RT_RAY& ray, const TRIANGLE* exclude, V3D& hit) {
    const TRIANGLE* best = nullptr;
    double t = kFltMax;
    const CELL* cell = rt_cell_first(scene, ray);
    while (cell != nullptr && best == nullptr) {
        best = cell->count > 0 ? rt_cell_find_tri(ts, scene, *cell, ray, exclude) : nullptr;
        const CELL* next = rt_cell_next(scene, ray);
        if (next == cell) break;
        cell = next;
    }
    if (best != nullptr) t = ts.t[static_cast<std::size_t>(best - scene.settings.tris)];

    const TRIANGLE& floor = scene.floor;
    if (scene.settings.floor_on && exclude != &floor) {
        ts.t[static_cast<std::size_t>(scene.slot(&floor))] = kFltMax;
        double floor_t = kFltMax;
        const double fy = scene.floor_height();
        // A ray can meet the floor only when heading toward its plane.
        if ((ray.org.y > fy && ray.dir.y < 0) || (ray.org.y < fy && ray.dir.y > 0)) {
            rt_floor_intersect(ts, scene, ray, hit, floor_t);
        }
        if (floor_t < t) {
            best = &floor;
            t = floor_t;
        }
    }
    if (best != nullptr) hit = {ray.dir.x * t + ray.org.x, ray.dir.y * t + ray.org.y, ray.dir.z * t + ray.org.z};
    return best;
}

}  // namespace zy
