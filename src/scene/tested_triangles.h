// What one ray has learnt about the triangles it met, sized by what a ray
// touches rather than by the scene.
#pragma once

#include <array>
#include <cstdint>
#include <limits>

namespace zy {

/// Most occluders a shadow ray marks as let through; later ones stay unmarked
/// and filter the light again if met in another cell.
inline constexpr int kTagListSize = 1000;

class TestedTriangles {
public:
    /// Result of a triangle's test for the current ray: the hit's distance,
    /// or the largest double for no hit.
    struct Result {
        int32_t slot = -1;
        uint32_t ray = 0;
        double t = 0;
    };

    /// Starts a new ray: everything recorded so far is forgotten.
    void next_ray() {
        for (int32_t k = 0; k < passed_n_; ++k) passed_[static_cast<std::size_t>(passed_at_[k])] = kEmpty;
        passed_n_ = 0;
        if (++ray_ == 0) {
            results_.fill(Result{});
            ray_ = 1;
        }
    }

    /// The recorded result of slot's test, or null. A result may be forgotten
    /// when another slot takes its place: that only costs a repeated test,
    /// which is a pure function of the ray and the triangle.
    const Result* result(int32_t slot) const {
        const Result& r = results_[static_cast<uint32_t>(slot) & kResultMask];
        return r.slot == slot && r.ray == ray_ ? &r : nullptr;
    }
    void record(int32_t slot, double t) { results_[static_cast<uint32_t>(slot) & kResultMask] = {slot, ray_, t}; }

    /// Whether the shadow ray marked slot as an occluder it has passed.
    bool passed(int32_t slot) const { return passed_n_ > 0 && passed_[find(slot)] == slot; }
    /// Marks slot, not marked yet, as passed, while the tag list has room.
    void pass(int32_t slot) {
        if (passed_n_ >= kTagListSize) return;
        const uint32_t i = find(slot);
        passed_[i] = slot;
        passed_at_[static_cast<std::size_t>(passed_n_++)] = static_cast<int32_t>(i);
    }
    /// Occluders marked as passed.
    int32_t passed_count() const { return passed_n_; }

private:
    static constexpr int32_t kEmpty = -1;
    static constexpr uint32_t kResultMask = (1u << 12) - 1;
    // Twice the tag list, so that probes stay short.
    static constexpr int kPassedBits = 11;
    static constexpr uint32_t kPassedMask = (1u << kPassedBits) - 1;
    static_assert(2 * kTagListSize <= (1 << kPassedBits));

    // The entry of slot in passed_, or the empty entry where it would go.
    uint32_t find(int32_t slot) const {
        uint32_t i = (static_cast<uint32_t>(slot) * 0x9E3779B1u) >> (32 - kPassedBits);
        while (passed_[i] != slot && passed_[i] != kEmpty) i = (i + 1) & kPassedMask;
        return i;
    }

    std::array<Result, kResultMask + 1> results_{};
    uint32_t ray_ = 0;
    std::array<int32_t, 1u << kPassedBits> passed_ = filled_empty();
    std::array<int32_t, kTagListSize> passed_at_{};
    int32_t passed_n_ = 0;

    static std::array<int32_t, 1u << kPassedBits> filled_empty() {
        std::array<int32_t, 1u << kPassedBits> a;
        a.fill(kEmpty);
        return a;
    }
};

}  // namespace zy
