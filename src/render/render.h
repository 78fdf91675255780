// The renderer: image loop, sampling, shading, lights, sky and fog.
#pragma once

#include <cstdint>

#include "geometry/ray.h"
#include "geometry/triangle.h"
#include "scene/rt_var.h"
#include "scene/trace_state.h"

namespace zy {

/// Renders frame rt_var.frame_current into its picture file.
void rt_run();

}  // namespace zy
