#include "zyscene/frame_baker.h"

#include <algorithm>

namespace zy::zyscene {

namespace {

class Discard : public GeometrySink {
public:
    void points(std::span<const V3S>) override {}
    void tris(std::span<const RT_TRI>) override {}
};

class IntoBlock : public GeometrySink {
public:
    explicit IntoBlock(writer::FrameBlock& block) : block_(block) {}
    void points(std::span<const V3S> points) override {
        block_.points.insert(block_.points.end(), points.begin(), points.end());
    }
    void tris(std::span<const RT_TRI> tris) override { block_.tris.insert(block_.tris.end(), tris.begin(), tris.end()); }

private:
    writer::FrameBlock& block_;
};

}  // namespace

FrameBaker::FrameBaker(Description description, std::vector<Mesh> meshes, MatrixPlan plan)
    : description_(std::move(description)), meshes_(std::move(meshes)), plan_(std::move(plan)) {}

writer::FrameBlock FrameBaker::head(int k) const {
    const Description& d = description_;
    writer::FrameBlock block;
    block.cam = d.camera.at(k);
    for (const LightTrack& light : d.lights) block.lights.push_back(light.at(k));
    block.matrices = plan_.at(d.objects, k);
    return block;
}

FrameCounts FrameBaker::put_points(int k, GeometrySink& sink) const {
    FrameCounts counts;
    for (std::size_t i = 0; i < meshes_.size(); ++i)
        PlacedObject(description_.objects[i], k, meshes_[i]).put_points(counts, sink);
    return counts;
}

FrameCounts FrameBaker::check(int k) const {
    Discard nowhere;
    FrameCounts counts = put_points(k, nowhere);
    head(k);  // throws for a camera, light or matrix the files cannot hold
    return counts;
}

// The file holds every object's points before the first triangle: each
// object is placed twice, which costs less memory than keeping all placed.
void FrameBaker::bake(int k, GeometrySink& sink) const {
    put_points(k, sink);
    int32_t first_point = 0;
    for (std::size_t i = 0; i < meshes_.size(); ++i) {
        PlacedObject(description_.objects[i], k, meshes_[i]).put_tris(first_point, plan_.index_of(i), sink);
        first_point += static_cast<int32_t>(meshes_[i].points.size());
    }
}

writer::FrameBlock FrameBaker::frame(int k) const {
    writer::FrameBlock block = head(k);
    IntoBlock into(block);
    bake(k, into);
    return block;
}

bool FrameBaker::animated() const {
    const Description& d = description_;
    return d.camera.animated() ||
           std::any_of(d.lights.begin(), d.lights.end(), [](const LightTrack& l) { return l.animated(); }) ||
           std::any_of(d.objects.begin(), d.objects.end(), [](const ObjectDesc& o) { return o.transform.animated(); });
}

}  // namespace zy::zyscene
