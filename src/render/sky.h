// The sky dome with its gradient and clouds, and distance fog.
#pragma once

#include "geometry/ray.h"
#include "scene/scene.h"

namespace zy {

/// Colour of the sky dome where ray (unit dir) leaves it, and the distance there.
void rt_hemisphere(const Scene& scene, const RT_RAY& ray, RT_COL& colour, double& dist);
/// Paints clouds over colour at the absolute sky point (x, y, z), used as scratch.
void rt_clouds(const Scene& scene, double& x, double& y, double& z, RT_COL& colour);
/// Blends colour toward the fog colour by distance.
void rt_fog(const Scene& scene, const double& dist, RT_COL& colour);

}  // namespace zy
