// What one ray has learnt about the triangles it met, sized by what a ray
// touches rather than by the scene.
#pragma once

#include <array>
#include <cstdint>

namespace zy {

/// Most occluders a shadow ray marks as let through; later ones stay unmarked
/// and filter the light again if met in another cell.
inline constexpr int kTagListSize = 1000;

class TestedTriangles {
public:
    /// Result of a triangle's test for the current ray: the hit's distance,
    /// or the largest double for no hit.
    struct Result {
        uint32_t key = 0;
        uint32_t ray = 0;
        double t = 0;
    };

    /// Starts a new ray: everything recorded so far is forgotten.
    void next_ray() {
        passed_n_ = 0;
        if (++ray_ == 0) {
            results_.fill(Result{});
            passed_.fill(Passed{});
            ray_ = 1;
        }
    }

    /// The recorded result of the triangle's test, or null. A result may be
    /// forgotten when another triangle takes its place: that only costs a
    /// repeated test, which is a pure function of the ray and the triangle.
    const Result* result(const void* tri) const {
        const uint32_t k = key(tri);
        const Result& r = results_[k & kResultMask];
        return r.key == k && r.ray == ray_ ? &r : nullptr;
    }
    void record(const void* tri, double t) {
        const uint32_t k = key(tri);
        results_[k & kResultMask] = {k, ray_, t};
    }

    /// Whether the shadow ray marked the triangle as an occluder it has passed.
    bool passed(const void* tri) const {
        if (passed_n_ == 0) return false;
        const uint32_t k = key(tri);
        const Passed& p = passed_[find(k)];
        return p.ray == ray_ && p.key == k;
    }
    /// Marks the triangle, not marked yet, as passed, while the tag list has room.
    void pass(const void* tri) {
        if (passed_n_ >= kTagListSize) return;
        const uint32_t k = key(tri);
        passed_[find(k)] = {k, ray_};
        ++passed_n_;
    }

private:
    static constexpr uint32_t kResultMask = (1u << 12) - 1;
    // Twice the tag list, so that probes stay short.
    static constexpr int kPassedBits = 11;
    static constexpr uint32_t kPassedMask = (1u << kPassedBits) - 1;
    static_assert(2 * kTagListSize <= (1 << kPassedBits));

    struct Passed {
        uint32_t key = 0;
        uint32_t ray = 0;
    };

    // Triangle records lie at least a cache line apart, so their addresses
    // in cache lines tell them apart within any array below 2^38 bytes.
    static uint32_t key(const void* tri) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(tri) >> 6); }

    // The entry of key in passed_, or the free entry (an earlier ray's) where it would go.
    uint32_t find(uint32_t k) const {
        uint32_t i = (k * 0x9E3779B1u) >> (32 - kPassedBits);
        while (passed_[i].ray == ray_ && passed_[i].key != k) i = (i + 1) & kPassedMask;
        return i;
    }

    std::array<Result, kResultMask + 1> results_{};
    std::array<Passed, 1u << kPassedBits> passed_{};
    uint32_t ray_ = 0;
    int32_t passed_n_ = 0;
};

}  // namespace zy
