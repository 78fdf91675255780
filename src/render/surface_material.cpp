#include "render/surface_material.h"

#include "materials/materials.h"

namespace zy {

void surface_material_at(const Scene& scene, const TRIANGLE& tri, const V3D& point, MATERIAL& m) {
    const SURFACE& srf = scene.settings.surfaces[tri.srf_index];
    if ((srf.srf_flags & kSrfImage) != 0 && &tri != &scene.floor)
        rt_img_material(scene, tri, point, m);
    else if (srf.ptrn_type != 0)
        rt_ptrn_material(scene, tri, point, m);
    else
        m = srf.mat[0];
}

}  // namespace zy
