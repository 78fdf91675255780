#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>

#include "cells/cell_divide.h"
#include "cells/cells.h"
#include "driver/console.h"
#include "driver/emulator.h"
#include "driver/memoire.h"
#include "driver/stop.h"

namespace zy {

CELL scene_cell;
FilledBox scene_filled;
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

struct SceneBox {
    double min[3] = {kFltMax, kFltMax, kFltMax};
    double max[3] = {-kFltMax, -kFltMax, -kFltMax};
    bool tame = true;  ///< every coordinate finite and at most kTameCoordinate in size
};

SceneBox scene_box(const TRIANGLE* tris, int32_t n_tri) {
    SceneBox box;
    for (int32_t k = 0; k < n_tri; ++k) {
        for (const V3D* v : tris[k].v) {
            const double c[3] = {v->x, v->y, v->z};
            for (int a = 0; a < 3; ++a) {
                box.min[a] = std::min(box.min[a], c[a]);
                box.max[a] = std::max(box.max[a], c[a]);
                box.tame = box.tame && std::fabs(c[a]) <= kTameCoordinate;
            }
        }
    }
    return box;
}

// Each divided cell's split lies strictly inside it on every axis. Then a
// cell's box bounds are exactly the split planes its path from the root
// compared against, which lets the walk find a point's leaf from a nearby cell
// instead of from the root.
bool splits_inside(const CELL& cell) {
    if (cell.leaf) return true;
    for (int a = 0; a < 3; ++a) {
        if (!(cell.min[a] < cell.mid[a] && cell.mid[a] < cell.max[a])) return false;
    }
    for (const CELL& kid : cell.children()) {
        if (!splits_inside(kid)) return false;
    }
    return true;
}

void add_filled_leaves(const CELL& cell, FilledBox& box) {
    if (!cell.leaf) {
        for (const CELL& kid : cell.children()) add_filled_leaves(kid, box);
        return;
    }
    if (cell.count == 0) return;
    for (int a = 0; a < 3; ++a) {
        box.min[a] = std::min(box.min[a], cell.min[a]);
        box.max[a] = std::max(box.max[a], cell.max[a]);
    }
}

// Parent links, only where the walk may climb them, and the marks of the
// children that are leaves, which it steps into without reading them.
void link_cells(CELL& cell, const CELL* parent, bool climbable) {
    cell.parent = climbable ? parent : nullptr;
    if (cell.leaf) return;
    cell.leaf_kids = 0;
    cell.empty_kids = 0;
    for (int i = 0; i < 8; ++i) {
        CELL& kid = *cell.child(i);
        cell.leaf_kids |= static_cast<uint8_t>(kid.leaf << i);
        cell.empty_kids |= static_cast<uint8_t>((kid.leaf && kid.count == 0 ? 1 : 0) << i);
        link_cells(kid, &cell, climbable);
    }
}

}  // namespace

void rt_cell_init(CELL& root, const TRIANGLE* tris, int32_t n_tri) {
    const SceneBox box = scene_box(tris, n_tri);
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

    const int32_t n = std::max(n_tri, 0);
    root.tris = static_cast<const TRIANGLE**>(my_malloc(static_cast<std::size_t>(n) * sizeof(TRIANGLE*)));
    if (root.tris == nullptr) ZY_STOP(kErrMemory);
    for (int32_t k = 0; k < n; ++k) root.tris[k] = &tris[k];
    root.count = n;
    root.leaf = 1;
    root.level = 0;
    root.bounded = 0;
    root.kids = nullptr;
    root.next = nullptr;

    console_line("Start Pass 2 please wait");
    divide_cells(root, box.tame);
    console_line("Pass 2 success");
    // The walk locates points in scene_cell's tree only.
    link_cells(root, nullptr, &root == &scene_cell && splits_inside(root));
    if (&root == &scene_cell) {
        const double inf = std::numeric_limits<double>::infinity();
        scene_filled = {{inf, inf, inf}, {-inf, -inf, -inf}};
        add_filled_leaves(root, scene_filled);
    }

    const double edge = std::min(std::min(root.max[0] - root.min[0], root.max[1] - root.min[1]), root.max[2] - root.min[2]);
    scene_t = edge / (1024 * 20.0);
}

void rt_preprocess(const RT_VAR& settings) { rt_cell_init(scene_cell, settings.tris, settings.n_tri); }

}  // namespace zy
