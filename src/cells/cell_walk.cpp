#include <emmintrin.h>

#include <cmath>

#include "cells/search.h"

namespace zy {

namespace {

// Smallest magnitude of a direction component: every component gets a sign, so
// every face test along the walk has a direction to look in.
constexpr double kMinComponent = 1.192093e-06;

double widened(double c) {
    if (std::fabs(c) < kMinComponent) return c < 0 ? -kMinComponent : kMinComponent;
    return c;
}

double coordinate(const V3D& v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

// Distances along dir from `from` to the planes of a box's faces, one per
// axis: the face in if_up where dir heads up the axis, else the one in
// if_down. x and y go side by side: the same divisions in one instruction.
struct FaceDistances {
    double t[3];
};

FaceDistances face_distances(const double* if_up, const double* if_down, const V3D& from, const V3D& dir) {
    const __m128d dir_xy = _mm_loadu_pd(&dir.x);
    const __m128d up = _mm_cmpgt_pd(dir_xy, _mm_setzero_pd());
    const __m128d face_xy = _mm_or_pd(_mm_and_pd(up, _mm_loadu_pd(if_up)), _mm_andnot_pd(up, _mm_loadu_pd(if_down)));
    FaceDistances d;
    _mm_storeu_pd(d.t, _mm_div_pd(_mm_sub_pd(face_xy, _mm_loadu_pd(&from.x)), dir_xy));
    d.t[2] = ((dir.z > 0 ? if_up[2] : if_down[2]) - from.z) / dir.z;
    return d;
}

}  // namespace

void rt_ray_init(const Scene& scene, RT_RAY& ray) {
    V3D& dir = ray.dir;
    dir.x = widened(dir.x);
    dir.y = widened(dir.y);
    dir.z = widened(dir.z);
    const double len = std::sqrt(dir.x * dir.x + dir.y * dir.y + dir.z * dir.z);
    dir.x /= len;
    dir.y /= len;
    dir.z /= len;
    const double step = scene.step;
    ray.seg_dir = {dir.x * step, dir.y * step, dir.z * step};
    ray.seg_org = ray.org;
}

namespace {

// The leaf under cell that holds p, which lies in cell's region. The child's
// index is the sign bits of the comparisons with the split point, x and y
// made together; the upper lanes of the z registers are both +0, never above.
const CELL* descend(const CELL* cell, const V3D& p) {
    const __m128d xy = _mm_loadu_pd(&p.x);
    const __m128d z = _mm_load_sd(&p.z);
    while (cell->leaf == 0) {
        // A point on a split plane belongs to the lower child.
        const int i = _mm_movemask_pd(_mm_cmpgt_pd(xy, _mm_loadu_pd(&cell->mid[0]))) |
                      _mm_movemask_pd(_mm_cmpgt_pd(z, _mm_load_sd(&cell->mid[2]))) << 2;
        cell = cell->child(i);
    }
    return cell;
}

__m128d select(__m128d upper, __m128d if_upper, __m128d if_lower) {
    return _mm_or_pd(_mm_and_pd(upper, if_upper), _mm_andnot_pd(upper, if_lower));
}

// descend() that also tells the walk what it knows of the leaf: a child's box
// is its parent's split values, so the leaf's box follows from cell's; and a
// leaf its parent marks as empty is not read at all.
const CELL* descend_to_walk(const CELL* cell, const V3D& p, RT_RAY& ray) {
    const __m128d xy = _mm_loadu_pd(&p.x);
    const __m128d z = _mm_load_sd(&p.z);
    __m128d lo_xy = _mm_loadu_pd(&cell->min[0]), hi_xy = _mm_loadu_pd(&cell->max[0]);
    __m128d lo_z = _mm_load_sd(&cell->min[2]), hi_z = _mm_load_sd(&cell->max[2]);
    const CELL* parent = cell->parent;
    bool empty = false;
    while (!empty && cell->leaf == 0) {
        const __m128d mid_xy = _mm_loadu_pd(&cell->mid[0]);
        const __m128d mid_z = _mm_load_sd(&cell->mid[2]);
        const __m128d up_xy = _mm_cmpgt_pd(xy, mid_xy);
        const __m128d up_z = _mm_cmpgt_pd(z, mid_z);
        const int i = _mm_movemask_pd(up_xy) | _mm_movemask_pd(up_z) << 2;
        lo_xy = select(up_xy, mid_xy, lo_xy);
        hi_xy = select(up_xy, hi_xy, mid_xy);
        lo_z = select(up_z, mid_z, lo_z);
        hi_z = select(up_z, hi_z, mid_z);
        empty = (cell->empty_kids >> i) & 1;
        parent = cell;
        cell = cell->child(i);
    }
    _mm_storeu_pd(&ray.cell_box[0], lo_xy);
    _mm_store_sd(&ray.cell_box[2], lo_z);
    _mm_storeu_pd(&ray.cell_box[3], hi_xy);
    _mm_store_sd(&ray.cell_box[5], hi_z);
    ray.cell_parent = parent;
    ray.cell_empty = empty;
    return cell;
}

// Whether the descent from root passes through cell: its box with the lower
// bounds open, except where the box reaches the root's lower face.
// Exact when every split of the tree lies strictly inside its cell (the
// builder links parents only then): a cell's bounds are then the split values
// its path compared against.
bool in_region(const CELL& root, const CELL& cell, const V3D& p) {
    const double c[3] = {p.x, p.y, p.z};
    for (int a = 0; a < 3; ++a) {
        if (!(c[a] <= cell.max[a])) return false;
        if (!(c[a] > cell.min[a] || (c[a] == cell.min[a] && cell.min[a] == root.min[a]))) return false;
    }
    return true;
}

// Both bounds belong to the root box.
bool in_root_box(const CELL& root, const V3D& p) {
    const double c[3] = {p.x, p.y, p.z};
    for (int a = 0; a < 3; ++a) {
        if (c[a] < root.min[a] || c[a] > root.max[a]) return false;
    }
    return true;
}

// rt_find_cell(p) for the walk.
const CELL* find_cell_to_walk(const Scene& scene, const V3D& p, RT_RAY& ray) {
    return in_root_box(scene.root, p) ? descend_to_walk(&scene.root, p, ray) : nullptr;
}

// rt_find_cell(p) found from a cell near p: up to the first ancestor whose
// region holds p, then down. The climb saves the root-to-leaf descent through
// cells that the walk has just left.
const CELL* find_cell_near(const Scene& scene, const CELL* from, const V3D& p, RT_RAY& ray) {
    const CELL* cell = from;
    while (cell->parent != nullptr && !in_region(scene.root, *cell, p)) cell = cell->parent;
    if (cell->parent == nullptr) return find_cell_to_walk(scene, p, ray);
    return descend_to_walk(cell, p, ray);
}

}  // namespace

const CELL* rt_find_cell(const Scene& scene, const V3D& p) {
    return in_root_box(scene.root, p) ? descend(&scene.root, p) : nullptr;
}

int16_t rt_cell_o_intersect(const CELL& cell, const RT_RAY& ray, double& t) {
    t = kFltMax;
    int16_t found = 0;
    // A NaN component (the only kind without a sign after widening) gives a
    // NaN distance, which the test below drops.
    const FaceDistances entry = face_distances(cell.min, cell.max, ray.org, ray.dir);
    for (int a = 0; a < 3; ++a) {
        const double ta = entry.t[a];
        if (!(ta >= 0 && ta < t)) continue;
        bool on_face = true;
        for (int b = 0; b < 3; ++b) {
            if (b == a) continue;
            const double p = coordinate(ray.org, b) + ta * coordinate(ray.dir, b);
            on_face = on_face && cell.min[b] <= p && p <= cell.max[b];
        }
        if (on_face) {
            t = ta;
            found = 1;
        }
    }
    return found;
}

namespace {

// The walk point moved t along the ray and one step further.
V3D stepped(const V3D& from, double t, const RT_RAY& ray) {
    V3D p;
    const __m128d along = _mm_mul_pd(_mm_set1_pd(t), _mm_loadu_pd(&ray.dir.x));
    _mm_storeu_pd(&p.x, _mm_add_pd(_mm_add_pd(_mm_loadu_pd(&from.x), along), _mm_loadu_pd(&ray.seg_dir.x)));
    p.z = from.z + t * ray.dir.z + ray.seg_dir.z;
    return p;
}

}  // namespace

const CELL* rt_cell_first(const Scene& scene, RT_RAY& ray, const CELL* near) {
    const CELL* cell =
        near != nullptr ? find_cell_near(scene, near, ray.org, ray) : find_cell_to_walk(scene, ray.org, ray);
    double t;
    if (cell == nullptr && rt_cell_o_intersect(scene.root, ray, t)) {
        ray.seg_org = stepped(ray.org, t, ray);
        cell = find_cell_to_walk(scene, ray.seg_org, ray);
    }
    ray.cell = cell;
    return cell;
}

namespace {

// Distance from the walk point to the face through which the ray leaves cell,
// and that face's axis. A prepared direction has no zero component; a NaN one
// gives a NaN distance, which the comparison drops.
bool exit_face(const RT_RAY& ray, double& t, int& axis) {
    const FaceDistances exit = face_distances(ray.cell_box + 3, ray.cell_box, ray.seg_org, ray.dir);
    const double tx = exit.t[0], ty = exit.t[1], tz = exit.t[2];
    t = kFltMax;
    axis = -1;
    if (tx >= 0 && tx < t) {
        t = tx;
        axis = 0;
    }
    if (ty >= 0 && ty < t) {
        t = ty;
        axis = 1;
    }
    if (tz >= 0 && tz < t) {
        t = tz;
        axis = 2;
    }
    return axis >= 0;
}

// Whether p lies past the face on axis, the side the ray heads to, of the box
// of the leaves that hold triangles (a point past the root's face is past it
// too). Each step moves the walk point ahead along every axis (t and the push
// have the direction's signs, and rounding keeps the order), and the leaf
// found for a point reaches it: from here on every leaf met is empty.
bool past_filled_leaves(const Scene& scene, const RT_RAY& ray, const V3D& p, int axis) {
    const double c = coordinate(p, axis);
    return coordinate(ray.dir, axis) > 0 ? c > scene.filled.max[axis] : c < scene.filled.min[axis];
}

}  // namespace

const CELL* rt_cell_next(const Scene& scene, RT_RAY& ray) {
    const CELL* from = ray.cell;
    double t;
    int axis;
    if (from == nullptr || !exit_face(ray, t, axis)) return nullptr;
    ray.seg_org = stepped(ray.seg_org, t, ray);
    // A point still in the cell is found from its parent as well, and past
    // the filled leaves the rest of the walk finds nothing: neither needs the
    // climb.
    const CELL* cell = nullptr;
    if (!past_filled_leaves(scene, ray, ray.seg_org, axis)) {
        cell = ray.cell_parent != nullptr ? find_cell_near(scene, ray.cell_parent, ray.seg_org, ray)
                                          : find_cell_to_walk(scene, ray.seg_org, ray);
    }
    // Too small a step to leave the cell ends the walk.
    if (cell == from) cell = nullptr;
    ray.cell = cell;
    return cell;
}

}  // namespace zy
