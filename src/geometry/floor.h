// The ground floor: one extra triangle, intersected analytically, outside the cell tree.
#pragma once

#include "geometry/ray.h"
#include "geometry/triangle.h"
#include "geometry/xmath.h"

namespace zy {

struct Scene;

extern TRIANGLE floor_tri;
/// The floor's vertices in run-time coordinates of the current frame.
extern V3D floor_crd[3];

/// Builds floor_tri when the floor is on; its surface (surfaces[n_srf]) must be set.
void rt_floor_preprocess();
/// Places the floor for the current frame: absolute corners minus pov.
void rt_floor_place();
/// Hit of ray with the scene's floor disc; t = kFltMax on a miss.
void rt_floor_intersect(const Scene& scene, const RT_RAY& ray, V3D& hit, double& t);

}  // namespace zy
