#include "scene/trace_state.h"

namespace zy {

void TraceState::prepare_for_frame(int32_t n_tri) {
    const std::size_t slots = static_cast<std::size_t>(n_tri < 0 ? 0 : n_tri) + 1;
    ray_mark.assign(slots, 0);
    t.assign(slots, kFltMax);
    back.assign(slots, 0);
    shadow_miss.assign(slots, 0);
    shadow_ray = 0;
    tri_taged_n = 0;
    depth = 0;
}

}  // namespace zy
