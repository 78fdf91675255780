#include "geometry/floor.h"

#include "geometry/camera.h"
#include "scene/rt_var.h"
#include "scene/scene.h"

namespace zy {

// Its group marks it as the floor from the start.
TRIANGLE floor_tri = [] {
    TRIANGLE t{};
    t.mat_index = -1;
    t.group = -1;
    return t;
}();
V3D floor_crd[3];

namespace {

// Scene height of the floor plane, just below 0.
constexpr double kFloorLevel = -0.05;

// The corners in scene coordinates; each frame places them relative to its pov.
V3D floor_corners[3];

}  // namespace

void rt_floor_preprocess() {
    if (rt_var.floor_on == 0) return;
    floor_tri.srf_index = rt_var.n_srf;

    const double r = rt_var.floor_radius;
    floor_corners[0] = {-r, kFloorLevel, -r};
    floor_corners[1] = {-r, kFloorLevel, r};
    floor_corners[2] = {r, kFloorLevel, -r};
    for (int i = 0; i < 3; ++i) {
        floor_crd[i] = floor_corners[i];
        floor_tri.v[i] = &floor_crd[i];
        floor_tri.vn[i] = {0, static_cast<int16_t>(kNormalScale), 0};
    }
    rt_tri_init(floor_tri);

    const SURFACE& s = rt_var.surfaces[rt_var.n_srf];
    floor_tri.flags = kTriFlat;
    if (s.mat[0].transp == 0.0 && s.mat[1].transp == 0.0) floor_tri.flags |= kTriOpaque;
}

void rt_floor_place() {
    for (int i = 0; i < 3; ++i) {
        floor_crd[i] = floor_corners[i];
        rt_pov_relative(floor_crd[i]);
    }
}

void rt_floor_intersect(const Scene& scene, const RT_RAY& ray, V3D& hit, double& t) {
    const double fy = scene.floor_height();
    t = (fy - ray.org.y) / ray.dir.y;
    // Also rejects the infinite or undefined quotient of a ray parallel to the floor.
    if (t < kFltEpsilon || !(t < kFltMax)) {
        t = kFltMax;
        return;
    }
    hit = {ray.org.x + t * ray.dir.x, fy, ray.org.z + t * ray.dir.z};
    // A point exactly on the rim is a hit.
    if (hit.z * hit.z + hit.x * hit.x > scene.floor_radius_sqr) {
        t = kFltMax;
    }
}

}  // namespace zy
