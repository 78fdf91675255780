#include "scene/trace_state.h"

namespace zy {

void TraceState::prepare_for_frame() {
    passed.next_ray();
    depth = 0;
}

}  // namespace zy
