// Visible light spheres and the shadow test with transparent occluders.
#pragma once

#include <cstdint>

#include "geometry/ray.h"
#include "geometry/triangle.h"
#include "scene/scene.h"
#include "scene/trace_state.h"

namespace zy {

/// Nearest light sphere met by ray at a distance in (0, max): its colour into
/// colour and the distance into dist; otherwise dist = kFltMax, colour untouched.
void rt_lightsource(const Scene& scene, const RT_RAY& ray, const double& max, RT_COL& colour, double& dist);
/// 1 when light from unit direction L at distance dist reaches point p of tri
/// (tri_back the side the viewing ray met, n its unperturbed shading normal),
/// lc dimmed by transparent occluders; 0 in shadow. near: a cell close to p,
/// where the shadow ray's walk is looked for first (null: none).
int16_t rt_bright(TraceState& ts, const Scene& scene, const TRIANGLE& tri, uint8_t tri_back, const V3D& p,
                  const CELL* near, const V3D& n, const V3D& L, const double& dist, RT_COL& lc);

}  // namespace zy
