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

// Lane by lane, if_set where mask is all ones, else if_clear.
__m128d select(__m128d mask, __m128d if_set, __m128d if_clear) {
    return _mm_or_pd(_mm_and_pd(mask, if_set), _mm_andnot_pd(mask, if_clear));
}

// Distances along dir from `from` to the planes of a box's faces, one per
// axis: the face in if_up where dir heads up the axis, else the one in
// if_down. x and y go side by side: the same divisions in one instruction.
struct FaceDistances {
    double t[3];
};

FaceDistances face_distances(const double* if_up, const double* if_down, const V3D& from, const V3D& dir) {
    const __m128d dir_xy = _mm_loadu_pd(&dir.x);
    const __m128d up = _mm_cmpgt_pd(dir_xy, _mm_setzero_pd());
    const __m128d face_xy = select(up, _mm_loadu_pd(if_up), _mm_loadu_pd(if_down));
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

// descend() that also tells the walk what it knows of the leaf without
// reading it: the divided cell above it, which marks whether it is empty, and
// its exit faces. A child's bounds are its parent's split values on the
// sides where it lies above them and the parent's own elsewhere, bit for bit.
const CELL* descend_to_walk(const CELL* cell, const V3D& p, RT_RAY& ray) {
    const __m128d toward_xy = _mm_cmpgt_pd(_mm_loadu_pd(&ray.dir.x), _mm_setzero_pd());
    const bool toward_z = ray.dir.z > 0;
    if (cell->leaf) {
        _mm_storeu_pd(ray.cell_exit, select(toward_xy, _mm_loadu_pd(&cell->max[0]), _mm_loadu_pd(&cell->min[0])));
        ray.cell_exit[2] = toward_z ? cell->max[2] : cell->min[2];
        ray.cell_parent = cell->parent;
        ray.cell_empty = false;
        return cell;
    }
    const __m128d xy = _mm_loadu_pd(&p.x);
    const __m128d z = _mm_load_sd(&p.z);
    const CELL* parent;
    __m128d up_xy;
    int i;
    do {
        parent = cell;
        // A point on a split plane belongs to the lower child.
        up_xy = _mm_cmpgt_pd(xy, _mm_loadu_pd(&cell->mid[0]));
        const int up_z = _mm_movemask_pd(_mm_cmpgt_pd(z, _mm_load_sd(&cell->mid[2])));
        i = _mm_movemask_pd(up_xy) | up_z << 2;
        cell = cell->child(i);
    } while (!((parent->leaf_kids >> i) & 1));
    ray.cell_parent = parent;
    ray.cell_empty = (parent->empty_kids >> i) & 1;
    // Heading up from the upper half or down from the lower one, the ray
    // leaves through the parent's face; otherwise through the split.
    const __m128d side_xy = select(toward_xy, _mm_loadu_pd(&parent->max[0]), _mm_loadu_pd(&parent->min[0]));
    _mm_storeu_pd(ray.cell_exit, select(_mm_xor_pd(toward_xy, up_xy), _mm_loadu_pd(&parent->mid[0]), side_xy));
    ray.cell_exit[2] = toward_z != ((i >> 2) & 1) ? parent->mid[2] : toward_z ? parent->max[2] : parent->min[2];
    return cell;
}

// Whether coordinate c on axis a lies above the cell's lower face, which
// belongs to the cell only on the root's lower faces.
bool above_lower_bound(const CELL& root, const CELL& cell, double c, int a) {
    return c > cell.min[a] || (c == cell.min[a] && cell.min[a] == root.min[a]);
}

// Whether the descent from root passes through cell: its box with the lower
// bounds open, except where the box reaches the root's lower face.
// Exact when every split of the tree lies strictly inside its cell (the
// builder links parents only then): a cell's bounds are then the split values
// its path compared against.
bool in_region(const CELL& root, const CELL& cell, const V3D& p) {
    const double c[3] = {p.x, p.y, p.z};
    for (int a = 0; a < 3; ++a) {
        if (!(c[a] <= cell.max[a]) || !above_lower_bound(root, cell, c[a], a)) return false;
    }
    return true;
}

// in_region for a point that has only moved ahead (along dir on every axis)
// from a point of the cell's region: it can only have crossed the faces on
// the sides dir heads to.
bool still_in_region(const CELL& root, const CELL& cell, const V3D& p, const V3D& dir) {
    const double c[3] = {p.x, p.y, p.z};
    const double d[3] = {dir.x, dir.y, dir.z};
    for (int a = 0; a < 3; ++a) {
        if (d[a] > 0 ? !(c[a] <= cell.max[a]) : !above_lower_bound(root, cell, c[a], a)) return false;
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
// region holds p (region(root, cell, p)), then down. The climb saves the
// root-to-leaf descent through cells that the walk has just left.
template <typename Region>
const CELL* find_cell_near(const Scene& scene, const CELL* from, const V3D& p, RT_RAY& ray, Region region) {
    const CELL* cell = from;
    while (cell->parent != nullptr && !region(scene.root, *cell, p)) cell = cell->parent;
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
        near != nullptr ? find_cell_near(scene, near, ray.org, ray, in_region) : find_cell_to_walk(scene, ray.org, ray);
    double t;
    if (cell == nullptr && rt_cell_o_intersect(scene.root, ray, t)) {
        ray.seg_org = stepped(ray.org, t, ray);
        cell = find_cell_to_walk(scene, ray.seg_org, ray);
    }
    ray.cell = cell;
    return cell;
}

namespace {

// Distance from the walk point to the face through which the ray leaves its
// leaf, and that face's axis. A prepared direction has no zero component; a
// NaN one gives a NaN distance, which the comparison drops.
bool exit_face(const RT_RAY& ray, double& t, int& axis) {
    double d[3];
    _mm_storeu_pd(
        d, _mm_div_pd(_mm_sub_pd(_mm_loadu_pd(ray.cell_exit), _mm_loadu_pd(&ray.seg_org.x)), _mm_loadu_pd(&ray.dir.x)));
    d[2] = (ray.cell_exit[2] - ray.seg_org.z) / ray.dir.z;
    const double tx = d[0], ty = d[1], tz = d[2];
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
        // The walk point moved ahead from a point of the cell's region.
        const auto ahead = [&ray](const CELL& root, const CELL& c, const V3D& p) {
            return still_in_region(root, c, p, ray.dir);
        };
        cell = ray.cell_parent != nullptr ? find_cell_near(scene, ray.cell_parent, ray.seg_org, ray, ahead)
                                          : find_cell_to_walk(scene, ray.seg_org, ray);
    }
    // Too small a step to leave the cell ends the walk.
    if (cell == from) cell = nullptr;
    ray.cell = cell;
    return cell;
}

}  // namespace zy
