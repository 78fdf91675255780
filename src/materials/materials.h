// Surface materials at a hit point: procedural patterns, image materials and
// normal perturbation, read from the frame's scene.
#pragma once

#include "geometry/triangle.h"
#include "scene/scene.h"

namespace zy {

/// Material of a patterned surface at point (run-time coordinates).
void rt_ptrn_material(const Scene& scene, const TRIANGLE& tri, const V3D& point, MATERIAL& out);
/// Blend of the surface's two materials by t (clamped in place).
void rt_material(const SURFACE& srf, double& t, MATERIAL& out);
/// a and b blended by t as given: t of b and 1 - t of a, value by value.
void blend_materials(const MATERIAL& a, const MATERIAL& b, double t, MATERIAL& out);
/// Material of an image-mapped surface at point.
void rt_img_material(const Scene& scene, const TRIANGLE& tri, const V3D& point, MATERIAL& out);
/// What the grid patterns and the floor bumps add to x and z before they
/// truncate: large enough to keep a scene's coordinates positive, so that the
/// truncations act as floors. Bumps too take it from the pattern scale.
inline double pattern_offset(const SURFACE& srf) { return srf.ptrn_scale * 62000000.0; }
/// Bends the unit normal nrm in place by the surface's bump.
void rt_perturb_nrm(const Scene& scene, const TRIANGLE& tri, const V3D& point, V3D& nrm);

}  // namespace zy
