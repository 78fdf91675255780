// The ray record of every search: origin, unit direction and the walk state of
// the cell traversal.
#pragma once

#include <cstdint>

#include "geometry/xmath.h"

namespace zy {

struct CELL;

struct RT_RAY {
    V3D org;           ///< origin
    V3D dir;           ///< direction, unit after rt_ray_init
    V3D seg_org;       ///< walk point of the traversal
    V3D seg_dir;       ///< dir x scene_t, the step across a face
    const CELL* cell;  ///< current cell of the walk
    /// What the walk knows of cell without reading it: the faces it leaves
    /// through (per axis, the one on the side dir heads to), the divided
    /// cell it hangs from (null for a root that is a leaf) and whether it
    /// holds no triangles.
    double cell_exit[3];
    const CELL* cell_parent;
    bool cell_empty;
};

}  // namespace zy
