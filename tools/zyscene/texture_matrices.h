// Which objects carry a matrix triple, and the triples of each frame.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "scene/records.h"
#include "zyscene/objects.h"

namespace zy::zyscene {

/// Most matrix triples a frame can hold: mat_index is a signed byte.
inline constexpr std::size_t kMaxMatrices = 128;

/// The matrix triples of a scene. Objects whose triples are equal in every
/// frame share one.
class MatrixPlan {
public:
    /// Plans the triples of the objects: one for every object whose surface
    /// has a pattern or bump and that follows its object, and for every object
    /// whose surface has an image (placements: image space into object space,
    /// by surface number, for the surfaces with an image). Throws InputError at
    /// the object that would need a 129th triple.
    MatrixPlan(const std::vector<ObjectDesc>& objects, const SurfaceTable& surfaces,
               const std::vector<MAT4>& placements);

    /// The triple number of an object, -1 for none.
    int8_t index_of(std::size_t object) const { return object_slot_[object]; }
    /// The triples at a frame (from 0). Throws InputError at an object whose
    /// image cannot be placed at that frame.
    std::vector<std::array<MAT4_64, 3>> at(const std::vector<ObjectDesc>& objects, int frame) const;

private:
    struct Slot {
        std::size_t object;             ///< the first object with this triple
        std::optional<MAT4> placement;  ///< image space into object space
    };
    std::vector<Slot> slots_;
    std::vector<int8_t> object_slot_;
};

}  // namespace zy::zyscene
