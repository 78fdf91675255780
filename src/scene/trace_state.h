// Trace state: everything a ray search or a shading call writes. One record per
// thread, passed explicitly; nothing written during rendering is global.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "geometry/ray.h"
#include "scene/rt_var.h"

namespace zy {

/// ray_mark bits.
inline constexpr uint8_t kMarkTested = 1; ///< tested for the current ray, in the tag list
inline constexpr uint8_t kMarkHit = 2;    ///< hit found, t valid

inline constexpr int kTagListSize = 1000;

/// Rays traced, by kind; read by the benchmarks, never by the renderer.
struct RayCounts {
    uint64_t primary = 0;    ///< one per sample
    uint64_t secondary = 0;  ///< reflection and transmission rays
    uint64_t shadow = 0;     ///< shadow rays that walk the cells

    RayCounts& operator+=(const RayCounts& o) {
        primary += o.primary;
        secondary += o.secondary;
        shadow += o.shadow;
        return *this;
    }
};

struct alignas(64) TraceState {
    /// Per-triangle search cache, indexed by Scene::slot() (the floor last).
    std::vector<uint8_t> ray_mark;
    std::vector<double> t;
    /// 1 when the latest rt_tri_nrm on the triangle met its back side.
    std::vector<uint8_t> back;
    /// Triangles tested for the current ray, as slots.
    std::array<int32_t, kTagListSize> tri_taged{};
    int32_t tri_taged_n = 0;
    /// Current nesting of secondary rays.
    int16_t depth = 0;
    /// The primary ray.
    RT_RAY scene_ray{};
    /// The 3 x 3 sample grid of the current block (row by row).
    RT_COL col_matrix[9]{};
    /// Rays traced with this state.
    RayCounts rays;
    /// Per triangle slot, the number of the latest shadow ray that found the
    /// triangle does not shadow its point, so that the next cells of that
    /// ray skip it; shadow_ray numbers the shadow rays from 1.
    std::vector<uint32_t> shadow_miss;
    uint32_t shadow_ray = 0;

    /// Sizes the caches for a frame of n_tri triangles (+ the floor) and clears them.
    void prepare_for_frame(int32_t n_tri);
};

}  // namespace zy
