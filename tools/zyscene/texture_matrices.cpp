#include "zyscene/texture_matrices.h"

#include <cmath>
#include <cstring>

#include "zyscene/input_error.h"
#include "zyscene/transform.h"

namespace zy::zyscene {

namespace {

using Triple = std::array<MAT4_64, 3>;

// Scene space is the texture space of objects that do not carry theirs along.
MAT4 texture_transform(const ObjectDesc& o, int frame) {
    return o.object_space ? object_matrix(o.transform.at(frame)) : identity();
}

bool animated_texture(const ObjectDesc& o) { return o.object_space && o.transform.animated(); }

bool finite(const Triple& triple) {
    for (const MAT4_64& m : triple)
        for (const auto& row : m.m)
            for (double v : row)
                if (!std::isfinite(v)) return false;
    return true;
}

}  // namespace

MatrixPlan::MatrixPlan(const std::vector<ObjectDesc>& objects, const SurfaceTable& surfaces,
                       const std::vector<MAT4>& placements) {
    std::vector<Triple> first;  // each slot's triple at frame 0
    for (std::size_t i = 0; i < objects.size(); ++i) {
        const ObjectDesc& o = objects[i];
        const bool image = surfaces.placement(o.surface).has_value();
        if (!image && !(o.object_space && surfaces.uses_texture_space(o.surface))) {
            object_slot_.push_back(-1);
            continue;
        }
        const auto placement = image ? std::optional(placements[static_cast<std::size_t>(o.surface)]) : std::nullopt;
        const Triple triple = matrix_triple(texture_transform(o, 0), placement ? &*placement : nullptr);
        std::size_t s = 0;
        for (; s < slots_.size(); ++s) {
            const ObjectDesc& other = objects[slots_[s].object];
            if (animated_texture(o) != animated_texture(other)) continue;
            // Moving objects share when they move alike: the same keyframes
            // and the same image placement. Still ones when their triples agree.
            const auto& placed = slots_[s].placement;
            const bool alike = animated_texture(o)
                                   ? o.transform == other.transform && placement.has_value() == placed.has_value() &&
                                         (!placement || std::memcmp(&*placement, &*placed, sizeof(MAT4)) == 0)
                                   : std::memcmp(triple.data(), first[s].data(), sizeof triple) == 0;
            if (alike) break;
        }
        if (s == slots_.size()) {
            if (slots_.size() == kMaxMatrices)
                throw InputError(o.pointer,
                                 "more than 128 differently placed objects need texture matrices; give some of them "
                                 "\"texture_space\": \"scene\"");
            slots_.push_back({i, placement});
            first.push_back(triple);
        }
        object_slot_.push_back(static_cast<int8_t>(s));
    }
}

std::vector<std::array<MAT4_64, 3>> MatrixPlan::at(const std::vector<ObjectDesc>& objects, int frame) const {
    std::vector<Triple> triples;
    triples.reserve(slots_.size());
    for (const Slot& slot : slots_) {
        const ObjectDesc& o = objects[slot.object];
        triples.push_back(matrix_triple(texture_transform(o, frame), slot.placement ? &*slot.placement : nullptr));
        if (!finite(triples.back()))
            throw InputError(o.pointer,
                             "its image placement and transform together cannot be undone (a size too "
                             "close to 0 or too large)" +
                                 frame_note(animated_texture(o), frame));
    }
    return triples;
}

}  // namespace zy::zyscene
