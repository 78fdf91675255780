// The renderer: image loop, sampling, shading, lights, sky and fog.
#pragma once

#include <cstdint>

#include "geometry/ray.h"
#include "geometry/triangle.h"
#include "scene/rt_var.h"
#include "scene/trace_state.h"

namespace zy {

/// Renders frame rt_var.frame_current into its picture file, resuming at
/// first_line; the picture file stays open for the driver to close.
void rt_run();

/// Hook called after every written row pair; does nothing.
void rt_user_break();

}  // namespace zy
