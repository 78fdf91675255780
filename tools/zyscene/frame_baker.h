// The frame blocks of a scene: camera, lights, matrices, points and
// triangles of any frame, baked from the description and its meshes.
#pragma once

#include <cstdint>
#include <vector>

#include "writer/scene_writer.h"
#include "zyscene/description.h"
#include "zyscene/mesh.h"
#include "zyscene/texture_matrices.h"

namespace zy::zyscene {

class FrameBaker {
public:
    /// meshes: one per object, in object space.
    FrameBaker(Description description, std::vector<Mesh> meshes, MatrixPlan plan);

    /// The block of frame k (from 0); object_sizes, when given, receives the
    /// triangles per object (the same in every frame). Throws InputError for
    /// a value the files cannot hold at that frame.
    writer::FrameBlock frame(int k, std::vector<int32_t>* object_sizes = nullptr) const;
    /// False when every frame is the same.
    bool animated() const;

private:
    Description description_;
    std::vector<Mesh> meshes_;
    MatrixPlan plan_;
};

}  // namespace zy::zyscene
