// Trace state: everything a ray search or a shading call writes. One record per
// thread, passed explicitly; nothing written during rendering is global.
#pragma once

#include <cstdint>

#include "geometry/ray.h"
#include "scene/rt_var.h"
#include "scene/passed_occluders.h"

namespace zy {

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
    /// The occluders the current shadow ray has let light through.
    PassedOccluders passed;
    /// Current nesting of secondary rays.
    int16_t depth = 0;
    /// The primary ray.
    RT_RAY scene_ray{};
    /// The 3 x 3 sample grid of the current block (row by row).
    RT_COL col_matrix[9]{};
    /// Rays traced with this state.
    RayCounts rays;
    /// Clears what an earlier frame left.
    void prepare_for_frame();
};

}  // namespace zy
