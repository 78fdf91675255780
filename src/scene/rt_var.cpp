#include "scene/rt_var.h"

#include "geometry/floor.h"

namespace zy {

RT_VAR rt_var;
double floor_radius_sqr = 0.0;

int32_t tri_slot(const TRIANGLE* tri) {
    return tri == &floor_tri ? rt_var.n_tri : static_cast<int32_t>(tri - rt_var.tris);
}

}  // namespace zy
