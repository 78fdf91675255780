// Surface materials at a hit point: procedural patterns, image materials and
// normal perturbation. Offsets they share live in the trace state.
#pragma once

#include "geometry/triangle.h"
#include "scene/rt_var.h"
#include "scene/trace_state.h"

namespace zy {

/// Material of a patterned surface at point (run-time coordinates).
void rt_ptrn_material(TraceState& ts, const TRIANGLE& tri, const V3D& point, MATERIAL& out);
/// Blend of the surface's two materials by t (clamped in place).
void rt_material(const SURFACE& srf, double& t, MATERIAL& out);
/// Material of an image-mapped surface at point.
void rt_img_material(const TRIANGLE& tri, const V3D& point, MATERIAL& out);
/// Bends the unit normal nrm in place by the surface's bump.
void rt_perturb_nrm(TraceState& ts, const TRIANGLE& tri, const V3D& point, V3D& nrm);

}  // namespace zy
