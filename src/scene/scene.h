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

/// The box of the octree's leaves that hold triangles (min above max when
/// none do). The walk's point only moves ahead along each axis, so once it is
/// past a face of this box, heading away, every leaf it finds is empty.
struct FilledBox {
    double min[3];
    double max[3];
};

struct Scene {
    const RT_VAR& settings;
    const TRIANGLE& floor;           ///< the floor triangle, used when settings.floor_on is 1
    const double& floor_radius_sqr;  ///< a floor hit lies within this of the y axis, squared
    const CELL& root;                ///< the octree over settings.tris
    const double* cell_tolerance;    ///< growth of a cell by level 0..10
    const double& step;              ///< push of a walking ray across a cell face
    const FilledBox& filled;         ///< where root's leaves hold triangles

    /// The floor height in run-time coordinates (y of its first vertex).
    double floor_height() const { return floor.v[0]->y; }
};

}  // namespace zy
