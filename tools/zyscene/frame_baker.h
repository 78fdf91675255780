// The frame blocks of a scene: camera, lights, matrices, points and
// triangles of any frame, baked from the description and its meshes.
#pragma once

#include <cstdint>
#include <vector>

#include "writer/scene_writer.h"
#include "zyscene/description.h"
#include "zyscene/frame_geometry.h"
#include "zyscene/mesh.h"
#include "zyscene/texture_matrices.h"

namespace zy::zyscene {

class FrameBaker {
public:
    /// meshes: one per object, in object space.
    FrameBaker(Description description, std::vector<Mesh> meshes, MatrixPlan plan);

    /// The camera, lights and matrices of frame k (from 0): its block without
    /// points and triangles.
    writer::FrameBlock head(int k) const;
    /// Checks frame k and counts its geometry (the counts are the same in
    /// every frame). Throws InputError for a value the files cannot hold at
    /// that frame.
    FrameCounts check(int k) const;
    /// Sends the points and triangles of a checked frame to sink.
    void bake(int k, GeometrySink& sink) const;
    /// The block of frame k, whole; throws as check does.
    writer::FrameBlock frame(int k) const;
    /// False when every frame is the same.
    bool animated() const;

private:
    FrameCounts put_points(int k, GeometrySink& sink) const;

    Description description_;
    std::vector<Mesh> meshes_;
    MatrixPlan plan_;
};

}  // namespace zy::zyscene
