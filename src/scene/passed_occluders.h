// The occluders a shadow ray has let light through, sized by the tag list
// rather than by the scene.
#pragma once

#include <array>
#include <cstdint>

namespace zy {

/// Most occluders a shadow ray marks as let through; later ones stay unmarked
/// and filter the light again if met in another cell.
inline constexpr int kTagListSize = 1000;

class PassedOccluders {
public:
    /// Starts a new ray: every mark so far is forgotten.
    void next_ray() {
        count_ = 0;
        if (++ray_ == 0) {
            entries_.fill(Entry{});
            ray_ = 1;
        }
    }

    /// Whether the current ray marked the triangle.
    bool contains(const void* tri) const {
        if (count_ == 0) return false;
        const uint32_t k = key(tri);
        const Entry& e = entries_[find(k)];
        return e.ray == ray_ && e.key == k;
    }
    /// Marks the triangle, not marked yet, while the tag list has room.
    void add(const void* tri) {
        if (count_ >= kTagListSize) return;
        const uint32_t k = key(tri);
        entries_[find(k)] = {k, ray_};
        ++count_;
    }

private:
    // Twice the tag list, so that probes stay short.
    static constexpr int kBits = 11;
    static constexpr uint32_t kMask = (1u << kBits) - 1;
    static_assert(2 * kTagListSize <= (1 << kBits));

    struct Entry {
        uint32_t key = 0;
        uint32_t ray = 0;
    };

    // Triangle records lie at least a cache line apart, so their addresses
    // in cache lines tell them apart within any array below 2^38 bytes.
    static uint32_t key(const void* tri) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(tri) >> 6); }

    // The entry of key, or the free entry (an earlier ray's) where it would go.
    uint32_t find(uint32_t k) const {
        uint32_t i = (k * 0x9E3779B1u) >> (32 - kBits);
        while (entries_[i].ray == ray_ && entries_[i].key != k) i = (i + 1) & kMask;
        return i;
    }

    std::array<Entry, 1u << kBits> entries_{};
    uint32_t ray_ = 0;
    int32_t count_ = 0;
};

}  // namespace zy
