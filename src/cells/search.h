// The walk of a ray through the octree and the nearest-triangle search.
#pragma once

#include <cstdint>

#include "cells/cells.h"
#include "geometry/ray.h"
#include "scene/trace_state.h"

namespace zy {

/// Normalises dir and sets the walk state.
void rt_ray_init(const Scene& scene, RT_RAY& ray);
/// Leaf of the scene's tree containing p, or null outside the root box.
const CELL* rt_find_cell(const Scene& scene, const V3D& p);
int16_t rt_cell_o_intersect(const CELL& cell, const RT_RAY& ray, double& t);
/// First cell of the walk: the leaf holding ray.org, else the first one the
/// ray enters. near, a cell of the frame's tree close to ray.org (or null),
/// only shortens the search: any cell gives the same leaf.
const CELL* rt_cell_first(const Scene& scene, RT_RAY& ray, const CELL* near = nullptr);
const CELL* rt_cell_next(const Scene& scene, RT_RAY& ray);
/// How many references ahead the searches ask for the data of a triangle: a
/// cell's triangles lie scattered through the frame.
inline constexpr int32_t kSearchPrefetch = 8;
/// Up to this many triangles the records stay in the caches (1.5 MB) and
/// asking ahead would only cost instructions.
inline constexpr int32_t kCachedTriangles = 8192;

/// Whether the searches ask for triangle records ahead.
inline bool prefetches(const Scene& scene) { return scene.settings.n_tri > kCachedTriangles; }

/// Asks for the two cache lines the test of the cell's reference i reads
/// (nothing when i is beyond the cell's references).
inline void prefetch_reference(const CELL& cell, int32_t i) {
    if (i >= cell.count) return;
    const auto* tri = reinterpret_cast<const char*>(cell.tris[i]);
    __builtin_prefetch(tri);
    __builtin_prefetch(tri + 64);
}

/// Nearest triangle of the cell whose hit lies in the cell; t receives its
/// distance (kFltMax without one).
const TRIANGLE* rt_cell_find_tri(const Scene& scene, const CELL& cell, const RT_RAY& ray, const TRIANGLE* exclude,
                                 double& t);
/// Nearest triangle or the floor along ray, at distance t; hit receives
/// org + t dir.
const TRIANGLE* rt_find_tri(const Scene& scene, RT_RAY& ray, const TRIANGLE* exclude, V3D& hit, double& t);

}  // namespace zy
