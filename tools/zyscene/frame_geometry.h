// The objects' meshes placed in the scene at one frame: the points,
// triangles and object sizes the files hold.
#pragma once

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
    std::vector<int32_t> object_sizes;
};

/// Adds one object at a frame (from 0): its mesh transformed into the scene,
/// triangles wound to agree with their normals, vertex normals from the mesh
/// or averaged, mat_index (a triple number or -1) on every triangle. Throws
/// InputError at the object for anything the files cannot hold.
void add_object(const ObjectDesc& object, int frame_number, const Mesh& mesh, int8_t mat_index, FrameGeometry& frame);

}  // namespace zy::zyscene
