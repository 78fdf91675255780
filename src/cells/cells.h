// The octree over a frame's triangles, rebuilt every frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "geometry/triangle.h"
#include "scene/scene.h"

namespace zy {

/// Where the exact ray test of any of a leaf's triangles can report a hit: a
/// box and a slab (the points x with s0 <= n . x <= s1), widened for the
/// test's rounding and rounded outward to floats.
struct LeafBounds {
    float box[6];  ///< lower corner, then upper corner
    float n[3];    ///< unit to float precision
    float s0, s1;
};

/// Two cache lines: the first holds what a step of the descent reads (and
/// what a search reads of a leaf), the second the box and the links.
struct alignas(64) CELL {
    uint8_t leaf;        ///< 1 leaf (count 0 when it holds no triangles), 0 divided
    int8_t level;        ///< depth, root 0
    /// 1 when bounds holds a leaf's bounds (set by the tree builder only).
    uint8_t bounded;
    int32_t count;       ///< triangle references in tris
    union {
        struct {
            double mid[3];  ///< split point of a divided cell
            CELL* kids;     ///< a divided cell's eight children, side by side
            /// Its children that are leaves, and those without triangles,
            /// bit i for child i (set by the tree builder only): the walk
            /// steps into them without reading them.
            uint8_t leaf_kids;
            uint8_t empty_kids;
        };
        LeafBounds bounds;  ///< a leaf's, when bounded
    };
    const TRIANGLE** tris; ///< overlapping triangles, in triangle-array order
    double min[3];       ///< lower corner
    double max[3];       ///< upper corner
    CELL* next;          ///< link in the waiting list (the builder divides without one: always null)
    /// Set by the tree builder only (null in cells made otherwise): the cell
    /// divided into this one, null for the root.
    const CELL* parent;

    /// Child i of a divided cell: upper half in x if bit 0, y bit 1, z bit 2.
    CELL* child(int i) const { return kids + i; }
    std::span<CELL, 8> children() const { return std::span<CELL, 8>(kids, 8); }
};
static_assert(sizeof(CELL) == 128 && offsetof(CELL, min) == 64);

extern CELL scene_cell;
/// The leaves of scene_cell's tree that hold triangles.
extern FilledBox scene_filled;
/// Smallest count for which a cell of level L is divided; entry 10 is 0.
extern int16_t cell_threshold_table[11];
/// Growth of a cell per level 0..10 (level 10 continues the halving).
extern double cell_tolerance[11];
/// Step that pushes a ray across a cell face.
extern double scene_t;

void rt_cell_init_tht(int16_t start, double rate);
/// Builds the frame's tree over all of the settings' triangles into scene_cell
/// (with the pass-2 lines).
void rt_preprocess(const RT_VAR& settings);
/// Builds root over the n_tri triangles of tris, the tolerances and scene_t.
void rt_cell_init(CELL& root, const TRIANGLE* tris, int32_t n_tri);
/// 1 when the triangle overlaps the cell's box grown by the cell's tolerance.
int16_t rt_tri_clip(const TRIANGLE& tri, const CELL& cell);

}  // namespace zy
