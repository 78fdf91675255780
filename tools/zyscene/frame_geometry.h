// The objects' meshes placed in the scene: the points, triangles, matrix
// triples and object sizes the files hold.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "scene/records.h"
#include "zyscene/mesh.h"
#include "zyscene/objects.h"

namespace zy::zyscene {

/// The geometry of one frame, in file records.
struct FrameGeometry {
    std::vector<V3S> points;
    std::vector<RT_TRI> tris;
    std::vector<std::array<MAT4_64, 3>> matrices;  ///< pattern, bump, image
    std::vector<int32_t> object_sizes;
};

/// Most matrix triples a frame can hold: mat_index is a signed byte.
inline constexpr std::size_t kMaxMatrices = 128;

/// Adds one object: its mesh transformed into the scene, triangles wound to
/// agree with their normals, vertex normals from the mesh or averaged, and a
/// matrix triple when with_matrix (identical triples are shared). Throws
/// InputError at the object for anything the files cannot hold.
void add_object(const ObjectDesc& object, const Mesh& mesh, bool with_matrix, FrameGeometry& frame);

}  // namespace zy::zyscene
