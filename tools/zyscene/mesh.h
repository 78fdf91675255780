// An indexed triangle mesh in object space, and the built-in primitives.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "geometry/xmath.h"
#include "zyscene/objects.h"

namespace zy::zyscene {

/// Triangles over shared points. Points at one position are one point, so
/// the renderer sees which triangles touch.
struct Mesh {
    std::vector<V3D> points;
    std::vector<std::array<int32_t, 3>> tris;
    /// Unit normal per triangle corner, or empty when the source has none.
    /// (v1 - v0) x (v2 - v0) points to the same side as the corner normals.
    std::vector<std::array<V3D, 3>> normals;
    /// Unit normal per point instead, when all corners at a point share it:
    /// a sixth of the memory of corner normals on a smooth mesh.
    std::vector<V3D> point_normals;
    /// The file's material of each triangle until the surfaces are made from
    /// them; empty for a primitive.
    std::vector<int32_t> tri_material;
    /// The surface of each triangle when they differ; empty: the object's.
    std::vector<int16_t> tri_surface;
};

/// The mesh of a built-in primitive (any shape but MeshShape), with exact normals.
Mesh make_primitive(const Shape& shape);

}  // namespace zy::zyscene
