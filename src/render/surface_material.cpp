#include "render/surface_material.h"

#include "geometry/floor.h"
#include "materials/materials.h"

namespace zy {

void surface_material_at(TraceState& ts, const TRIANGLE& tri, const V3D& point, MATERIAL& m) {
    const SURFACE& srf = rt_var.surfaces[tri.srf_index];
    if ((srf.srf_flags & kSrfImage) != 0 && &tri != &floor_tri)
        rt_img_material(tri, point, m);
    else if (srf.ptrn_type != 0)
        rt_ptrn_material(ts, tri, point, m);
    else
        m = srf.mat[0];
}

}  // namespace zy
