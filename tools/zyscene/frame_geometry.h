// The objects' meshes placed in the scene at one frame: the points,
// triangles and object sizes the files hold, produced a piece at a time so
// that a frame of any size passes through little memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "geometry/xmath.h"
#include "scene/records.h"
#include "zyscene/mesh.h"
#include "zyscene/objects.h"

namespace zy::zyscene {

/// Receives a frame's geometry in file order: the points of every object,
/// then the triangles of every object, each in pieces.
class GeometrySink {
public:
    virtual ~GeometrySink() = default;
    virtual void points(std::span<const V3S> points) = 0;
    virtual void tris(std::span<const RT_TRI> tris) = 0;
};

/// What a frame holds so far.
struct FrameCounts {
    std::size_t points = 0;
    std::size_t tris = 0;
    /// Triangles per object.
    std::vector<int32_t> object_sizes;
};

/// One object's mesh transformed into the scene at a frame (from 0).
class PlacedObject {
public:
    /// Throws InputError at the object when its transform cannot be undone.
    PlacedObject(const ObjectDesc& object, int frame_number, const Mesh& mesh);

    /// Checks that the object fits in the files after what counts holds,
    /// adds it to counts and sends its points. Throws InputError at the
    /// object for anything the files cannot hold.
    void put_points(FrameCounts& counts, GeometrySink& sink) const;
    /// Sends its triangles, wound to agree with their normals, with vertex
    /// normals from the mesh or averaged, corners numbered from first_point
    /// and mat_index (a triple number or -1). The points must have passed.
    void put_tris(int32_t first_point, int8_t mat_index, GeometrySink& sink) const;

private:
    const ObjectDesc& object_;
    const Mesh& mesh_;
    std::string at_frame_;
    MAT4 inverse_;
    /// A mirroring transform turns the winding around.
    bool mirrored_ = false;
    std::vector<V3D> points_;
};

}  // namespace zy::zyscene
