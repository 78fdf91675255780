#include "zyscene/frame_baker.h"

#include <algorithm>

#include "zyscene/frame_geometry.h"

namespace zy::zyscene {

FrameBaker::FrameBaker(Description description, std::vector<Mesh> meshes, MatrixPlan plan)
    : description_(std::move(description)), meshes_(std::move(meshes)), plan_(std::move(plan)) {}

writer::FrameBlock FrameBaker::frame(int k, std::vector<int32_t>* object_sizes) const {
    const Description& d = description_;
    FrameGeometry geometry;
    for (std::size_t i = 0; i < d.objects.size(); ++i)
        add_object(d.objects[i], k, meshes_[i], plan_.index_of(i), geometry);
    writer::FrameBlock block;
    block.cam = d.camera.at(k);
    for (const LightTrack& light : d.lights) block.lights.push_back(light.at(k));
    block.matrices = plan_.at(d.objects, k);
    block.points = std::move(geometry.points);
    block.tris = std::move(geometry.tris);
    if (object_sizes != nullptr) *object_sizes = std::move(geometry.object_sizes);
    return block;
}

bool FrameBaker::animated() const {
    const Description& d = description_;
    return d.camera.animated() ||
           std::any_of(d.lights.begin(), d.lights.end(), [](const LightTrack& l) { return l.animated(); }) ||
           std::any_of(d.objects.begin(), d.objects.end(), [](const ObjectDesc& o) { return o.transform.animated(); });
}

}  // namespace zy::zyscene
