// The walk of a ray through the octree and the nearest-triangle search.
#pragma once

#include <cstdint>

#include "cells/cells.h"
#include "geometry/ray.h"
#include "scene/trace_state.h"

namespace zy {

/// Normalises dir, sets the walk state and clears the previous ray's marks.
void rt_ray_init(TraceState& ts, RT_RAY& ray);
/// Leaf containing p, or null outside the root box.
const CELL* rt_find_cell(const V3D& p);
int16_t rt_cell_o_intersect(const CELL& cell, const RT_RAY& ray, double& t);
int16_t rt_cell_i_intersect(const CELL& cell, const RT_RAY& ray, double& t);
const CELL* rt_cell_first(RT_RAY& ray);
const CELL* rt_cell_next(RT_RAY& ray);
/// Nearest triangle of the cell whose hit lies in the cell.
const TRIANGLE* rt_cell_find_tri(TraceState& ts, const CELL& cell, const RT_RAY& ray, const TRIANGLE* exclude);
/// Nearest triangle or the floor along ray; its distance is ts.t[tri_slot(result)]
/// and hit receives org + t dir.
const TRIANGLE* rt_find_tri(TraceState& ts, RT_RAY& ray, const TRIANGLE* exclude, V3D& hit);

}  // namespace zy
