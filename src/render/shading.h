// One ray, one colour: the search, the shading model and refraction.
#pragma once

#include <cstdint>

#include "geometry/ray.h"
#include "geometry/triangle.h"
#include "scene/scene.h"
#include "scene/trace_state.h"

namespace zy {

/// Traces ray (org and dir set, any length) and writes what it sees, fogged,
/// into colour. exclude is the triangle the ray leaves (null for primary rays).
void rt_intersect(TraceState& ts, const Scene& scene, RT_RAY& ray, const TRIANGLE* exclude, RT_COL& colour);
/// Shades the hit of ray on tri at hit with the unit shading normal (facing the
/// viewer) and the back flag rt_tri_nrm gave: ambient, diffuse, specular,
/// mirror and transmitted light. ray.cell, where the search left the ray (a
/// cell of the frame's tree or null), starts the shadow rays' walks.
void rt_exposure(TraceState& ts, const Scene& scene, const TRIANGLE& tri, uint8_t back, const RT_RAY& ray,
                 const V3D& hit, const V3D& normal, RT_COL& colour);
/// Refracted unit direction of the unit direction v through normal N into out
/// (1), or 0 for total internal reflection, leaving out unchanged; back: the
/// triangle's back flag (1 when leaving the body).
int16_t rt_refract(uint8_t back, const V3D& N, const V3D& v, const double& refraction, V3D& out);

}  // namespace zy
