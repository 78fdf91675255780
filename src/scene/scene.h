// The frame's scene as the renderer reads it: the settings record, the floor,
// the octree with its tolerances and walk step. Preparing a frame writes the
// records a Scene refers to; everything that runs while the picture is traced
// gets the Scene as a const reference and reads nothing else of the frame.
#pragma once

#include <cstdint>

#include "geometry/triangle.h"
#include "scene/rt_var.h"

namespace zy {

struct CELL;

struct Scene {
    const RT_VAR& settings;
    const TRIANGLE& floor;           ///< the floor triangle, used when settings.floor_on is 1
    const double& floor_radius_sqr;  ///< a floor hit lies within this of the y axis, squared
    const CELL& root;                ///< the octree over settings.tris
    const double* cell_tolerance;    ///< growth of a cell by level 0..10
    const double& step;              ///< push of a walking ray across a cell face

    /// The floor height in run-time coordinates (y of its first vertex).
    double floor_height() const { return floor.v[0]->y; }
};

}  // namespace zy
