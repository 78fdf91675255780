// The material of a surface at a hit point, shared by shading and the shadow test.
#pragma once

#include "geometry/triangle.h"
#include "scene/scene.h"

namespace zy {

/// Image material, else pattern material, else the surface's first material.
/// The floor has no image.
void surface_material_at(const Scene& scene, const TRIANGLE& tri, const V3D& point, MATERIAL& m);

}  // namespace zy
