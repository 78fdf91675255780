#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

#include "cells/cells.h"
#include "driver/emulator.h"
#include "driver/memoire.h"
#include "driver/stop.h"
#include "scene/rt_var.h"

namespace zy {

CELL scene_cell;
int16_t cell_threshold_table[11];
double cell_tolerance[11];
double scene_t;

void rt_cell_init_tht(int16_t start, double rate) {
    cell_threshold_table[0] = start;
    for (int level = 1; level <= 9; ++level) {
        const double previous = cell_threshold_table[level - 1];
        cell_threshold_table[level] = static_cast<int16_t>(trunc_i32(previous / rate + previous + 0.5));
    }
    cell_threshold_table[10] = 0;
}

namespace {

// Clipping a triangle by six planes yields at most 9 vertices in exact arithmetic;
// even if rounding made every stage add half the vertices again, 3 grows to 28.
constexpr int kClipCapacity = 32;

struct Polygon {
    V3D p[kClipCapacity];
    int n = 0;
};

double coordinate(const V3D& v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

// One stage of the clip: keeps the part of `in` where the signed distance is positive.
void clip_stage(const Polygon& in, Polygon& out, int axis, bool upper, double bound) {
    auto delta = [&](const V3D& p) { return upper ? bound - coordinate(p, axis) : coordinate(p, axis) - bound; };
    auto crossing = [&](const V3D& from, const V3D& to, double d, double e) {
        const double s = d / (d - e);
        out.p[out.n++] = {from.x + (to.x - from.x) * s, from.y + (to.y - from.y) * s, from.z + (to.z - from.z) * s};
    };
    out.n = 0;
    const int n = in.n;
    if (delta(in.p[0]) > 0) out.p[out.n++] = in.p[0];
    for (int i = 1; i < n; ++i) {
        const double d = delta(in.p[i - 1]);
        const double e = delta(in.p[i]);
        if ((d > 0 && e <= 0) || (d <= 0 && e > 0)) crossing(in.p[i - 1], in.p[i], d, e);
        if (e > 0) out.p[out.n++] = in.p[i];
    }
    const double d = delta(in.p[n - 1]);
    const double e = delta(in.p[0]);
    if ((d > 0 && e <= 0) || (d <= 0 && e > 0)) crossing(in.p[n - 1], in.p[0], d, e);
}

}  // namespace

int16_t rt_tri_clip(const TRIANGLE& tri, const CELL& cell) {
    const double tau = cell_tolerance[cell.level];
    const double bb_min[3] = {tri.bb_min.x, tri.bb_min.y, tri.bb_min.z};
    const double bb_max[3] = {tri.bb_max.x, tri.bb_max.y, tri.bb_max.z};
    for (int a = 0; a < 3; ++a) {
        if (bb_min[a] > cell.max[a] + tau || bb_max[a] < cell.min[a] - tau) return 0;
    }
    Polygon work[2];
    work[0].p[0] = *tri.v[0];
    work[0].p[1] = *tri.v[1];
    work[0].p[2] = *tri.v[2];
    work[0].n = 3;
    int current = 0;
    for (int stage = 0; stage < 6; ++stage) {
        const int axis = stage / 2;
        const bool upper = stage % 2 == 0;
        const double bound = upper ? cell.max[axis] + tau : cell.min[axis] - tau;
        clip_stage(work[current], work[1 - current], axis, upper, bound);
        current = 1 - current;
        if (work[current].n == 0) return 0;
    }
    return 1;
}

namespace {

// Where a triangle's box stands against one half of the parent on one axis,
// grown by the child's tolerance.
enum class Side : uint8_t { kOut, kAcross, kInside };

// Divides cells depth first. A cell is divided exactly when its own count and
// level call for it, so this order gives the same tree as always dividing the
// fullest waiting cell, without walking a waiting list.
class TreeBuilder {
public:
    /// mask: one byte per triangle of the root; unbounded_boxes: some vertex of
    /// the frame is not finite, so triangle boxes may not bound their vertices.
    TreeBuilder(uint8_t* mask, bool unbounded_boxes) : mask_(mask), unbounded_boxes_(unbounded_boxes) {}

    void divide(CELL& cell) {
        if (cell.count <= 0 || cell.level > 9 || cell.count < cell_threshold_table[cell.level]) return;
        auto* kids = static_cast<CELL*>(my_malloc(8 * sizeof(CELL)));
        if (kids == nullptr) return;
        for (int a = 0; a < 3; ++a) cell.mid[a] = cell.min[a] + (cell.max[a] - cell.min[a]) / 2.0;
        for (int i = 0; i < 8; ++i) set_up_child(kids[i], cell, i);
        if (!fill_children(cell, kids)) {
            my_free(kids);
            return;
        }
        my_free(cell.tris);
        cell.leaf = 0;
        cell.count = 0;
        cell.tris = nullptr;
        for (int i = 0; i < 8; ++i) cell.child[i] = &kids[i];
        for (int i = 0; i < 8; ++i) divide(kids[i]);
    }

private:
    static void set_up_child(CELL& kid, const CELL& parent, int index) {
        kid.leaf = 1;
        kid.level = static_cast<int8_t>(parent.level + 1);
        for (int a = 0; a < 3; ++a) {
            const bool upper = (index >> a) & 1;
            kid.min[a] = upper ? parent.mid[a] : parent.min[a];
            kid.max[a] = upper ? parent.max[a] : parent.mid[a];
            kid.mid[a] = 0.0;
        }
        kid.count = 0;
        kid.tris = nullptr;
        std::fill(std::begin(kid.child), std::end(kid.child), nullptr);
        kid.next = nullptr;
    }

    // The quick rejection of rt_tri_clip, per axis and half; a box strictly inside
    // the grown half leaves every clip stage without effect.
    Side side(double lo, double hi, double half_min, double half_max, double tau) const {
        const double grown_min = half_min - tau;
        const double grown_max = half_max + tau;
        if (lo > grown_max || hi < grown_min) return Side::kOut;
        if (!unbounded_boxes_ && lo > grown_min && hi < grown_max) return Side::kInside;
        return Side::kAcross;
    }

    // Bit i set when the triangle overlaps child i; equal to rt_tri_clip per child.
    uint8_t overlap_bits(const TRIANGLE& tri, const CELL& parent, const CELL* kids) const {
        const double tau = cell_tolerance[parent.level + 1];
        const double lo[3] = {tri.bb_min.x, tri.bb_min.y, tri.bb_min.z};
        const double hi[3] = {tri.bb_max.x, tri.bb_max.y, tri.bb_max.z};
        Side sides[3][2];
        for (int a = 0; a < 3; ++a) {
            sides[a][0] = side(lo[a], hi[a], parent.min[a], parent.mid[a], tau);
            sides[a][1] = side(lo[a], hi[a], parent.mid[a], parent.max[a], tau);
        }
        uint8_t bits = 0;
        for (int i = 0; i < 8; ++i) {
            const Side sx = sides[0][i & 1], sy = sides[1][(i >> 1) & 1], sz = sides[2][(i >> 2) & 1];
            if (sx == Side::kOut || sy == Side::kOut || sz == Side::kOut) continue;
            const bool inside = sx == Side::kInside && sy == Side::kInside && sz == Side::kInside;
            if (inside || rt_tri_clip(tri, kids[i])) bits = static_cast<uint8_t>(bits | (1u << i));
        }
        return bits;
    }

    // Gives each child its triangles in the parent's order, in an array of exactly
    // its size (none for an empty child). False when memory ran out; then nothing
    // is kept.
    bool fill_children(const CELL& parent, CELL* kids) {
        int32_t counts[8] = {};
        for (int32_t k = 0; k < parent.count; ++k) {
            const uint8_t bits = overlap_bits(*parent.tris[k], parent, kids);
            mask_[k] = bits;
            for (int i = 0; i < 8; ++i) counts[i] += (bits >> i) & 1;
        }
        for (int i = 0; i < 8; ++i) {
            if (counts[i] == 0) continue;
            kids[i].tris = static_cast<const TRIANGLE**>(my_malloc(static_cast<std::size_t>(counts[i]) * sizeof(TRIANGLE*)));
            if (kids[i].tris == nullptr) {
                for (int j = 0; j < i; ++j) my_free(kids[j].tris);
                return false;
            }
        }
        for (int32_t k = 0; k < parent.count; ++k) {
            const uint8_t bits = mask_[k];
            for (int i = 0; i < 8; ++i) {
                if ((bits >> i) & 1) kids[i].tris[kids[i].count++] = parent.tris[k];
            }
        }
        return true;
    }

    uint8_t* mask_;
    bool unbounded_boxes_;
};

struct SceneBox {
    double min[3] = {kFltMax, kFltMax, kFltMax};
    double max[3] = {-kFltMax, -kFltMax, -kFltMax};
    bool all_finite = true;
};

SceneBox scene_box() {
    SceneBox box;
    for (int32_t k = 0; k < rt_var.n_tri; ++k) {
        for (const V3D* v : rt_var.tris[k].v) {
            const double c[3] = {v->x, v->y, v->z};
            for (int a = 0; a < 3; ++a) {
                box.min[a] = std::min(box.min[a], c[a]);
                box.max[a] = std::max(box.max[a], c[a]);
                box.all_finite = box.all_finite && std::isfinite(c[a]);
            }
        }
    }
    return box;
}

}  // namespace

void rt_cell_init(CELL& root) {
    const SceneBox box = scene_box();
    double extent[3];
    for (int a = 0; a < 3; ++a) extent[a] = box.max[a] - box.min[a];
    const double e = std::max(std::max(extent[0], extent[1]), extent[2]);

    cell_tolerance[0] = e / 1024 / 2.0;
    for (int level = 1; level <= 10; ++level) cell_tolerance[level] = cell_tolerance[level - 1] / 2.0;

    for (int a = 0; a < 3; ++a) {
        const double c = box.min[a] + extent[a] / 2.0;
        root.min[a] = c - e / 2.0 - cell_tolerance[0];
        root.max[a] = e / 2.0 + c + cell_tolerance[0];
        root.mid[a] = 0.0;
    }

    const int32_t n = std::max(rt_var.n_tri, 0);
    root.tris = static_cast<const TRIANGLE**>(my_malloc(static_cast<std::size_t>(n) * sizeof(TRIANGLE*)));
    if (root.tris == nullptr) ZY_STOP(kErrMemory);
    for (int32_t k = 0; k < n; ++k) root.tris[k] = &rt_var.tris[k];
    root.count = n;
    root.leaf = 1;
    root.level = 0;
    std::fill(std::begin(root.child), std::end(root.child), nullptr);
    root.next = nullptr;

    std::printf("Start Pass 2 please wait\n");
    // Without the scratch the root cannot be divided: it stays a leaf, as any
    // cell does whose division runs out of memory.
    auto* mask = static_cast<uint8_t*>(my_malloc(static_cast<std::size_t>(n)));
    if (mask != nullptr) {
        TreeBuilder(mask, !box.all_finite).divide(root);
        my_free(mask);
    }
    std::printf("Pass 2 success\n");

    const double edge = std::min(std::min(root.max[0] - root.min[0], root.max[1] - root.min[1]), root.max[2] - root.min[2]);
    scene_t = edge / (1024 * 20.0);
}

void rt_preprocess() { rt_cell_init(scene_cell); }

}  // namespace zy
