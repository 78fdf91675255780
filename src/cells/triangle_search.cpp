#include <cstddef>

#include "cells/leaf_bounds.h"
#include "cells/reference_hits.h"
#include "cells/search.h"
#include "geometry/floor.h"

namespace zy {

namespace {

// A cell's box grown by its level's tolerance, bounds included: a hit is taken
// only there, so the first cell along the ray with a hit holds the nearest one.
// Its bounds are worked out at each question: most cells have no hit to ask about.
struct GrownBox {
    const CELL& cell;
    double tau;

    bool contains(const V3D& p) const {
        const double c[3] = {p.x, p.y, p.z};
        for (int a = 0; a < 3; ++a) {
            if (!(cell.min[a] - tau <= c[a] && c[a] <= cell.max[a] + tau)) return false;
        }
        return true;
    }
};

V3D point_at(const RT_RAY& ray, double t) {
    return {ray.org.x + t * ray.dir.x, ray.org.y + t * ray.dir.y, ray.org.z + t * ray.dir.z};
}

}  // namespace

const TRIANGLE* rt_cell_find_tri(const Scene& scene, const CELL& cell, const RT_RAY& ray, const TRIANGLE* exclude,
                                 double& best_t) {
    const GrownBox box{cell, scene.cell_tolerance[cell.level]};
    const TRIANGLE* best = nullptr;
    best_t = kFltMax;
    const bool ahead = prefetches(scene);
    for (int32_t k = 0; ahead && k < kSearchPrefetch; ++k) prefetch_reference(cell, k);
    ReferenceHit hits[kHitChunk];
    for (int32_t begin = 0; begin < cell.count; begin += kHitChunk) {
        const int32_t end = cell.count - begin < kHitChunk ? cell.count : begin + kHitChunk;
        const int32_t n = reference_hits(HitRule::kNearest, cell, begin, end, ray, kFltMax, ahead, hits);
        for (int32_t h = 0; h < n; ++h) {
            const TRIANGLE* tri = cell.tris[hits[h].ref];
            const double t = hits[h].t;
            if (tri != exclude && t < best_t && box.contains(point_at(ray, t))) {
                best = tri;
                best_t = t;
            }
        }
    }
    return best;
}

const TRIANGLE* rt_find_tri(const Scene& scene, RT_RAY& ray, const TRIANGLE* exclude, V3D& hit, double& t) {
    const TRIANGLE* best = nullptr;
    t = kFltMax;
    const CELL* cell = rt_cell_first(scene, ray);
    const LeafBoundsTest bounds(ray);
    while (cell != nullptr) {
        if (!ray.cell_empty && cell->count > 0 && bounds.may_hit_in_grown_box(*cell, scene.cell_tolerance[cell->level]))
            best = rt_cell_find_tri(scene, *cell, ray, exclude, t);
        // Nothing reads the walk's state after the search: no step past the hit.
        if (best != nullptr) break;
        const CELL* next = rt_cell_next(scene, ray);
        if (next == cell) break;
        cell = next;
    }
    if (best == nullptr) t = kFltMax;

    const TRIANGLE& floor = scene.floor;
    if (scene.settings.floor_on && exclude != &floor) {
        double floor_t = kFltMax;
        const double fy = scene.floor_height();
        // A ray can meet the floor only when heading toward its plane.
        if ((ray.org.y > fy && ray.dir.y < 0) || (ray.org.y < fy && ray.dir.y > 0)) {
            rt_floor_intersect(scene, ray, hit, floor_t);
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
