// Whether a cell is divided depends only on its own count and level, so the
// cells may be divided in any order and still give the same tree: depth first
// here, without a waiting list, the subtrees of large cells as tasks on all
// threads.
#include "cells/cell_divide.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include <omp.h>

#include "cells/cell_clip.h"
#include "cells/leaf_bounds.h"
#include "driver/memoire.h"

namespace zy {

namespace {

// Where a triangle stands against one half of the parent on one axis, grown by
// the child's tolerance: out (the quick rejection of rt_tri_clip), settled (its
// box lies inside by a margin that no intersection point of the clip can cross,
// so the clip stages of this axis change nothing), or across.
enum class Side : uint8_t { kOut, kAcross, kSettled };

// A clip stage can place an intersection point a few units in the last place
// beyond its segment's ends (about 1e-15 relative); after four stages that stays
// far below this margin. The absolute part covers subnormal coordinates.
constexpr double kSettledMargin = 1e-12;
constexpr double kSettledMarginAbsolute = 1e-300;
// How many triangles ahead the classification asks for a triangle's box: a
// cell's triangles lie scattered through the frame's array.
constexpr int32_t kPrefetchAhead = 16;

// A triangle's bounding box.
struct Box {
    double lo[3], hi[3];

    explicit Box(const TRIANGLE& tri) { triangle_box(tri, lo, hi); }
};

// margin: the settled margin of the triangle's box on this axis.
Side side(double lo, double hi, double half_min, double half_max, double tau, bool tame, double margin) {
    const double grown_min = half_min - tau;
    const double grown_max = half_max + tau;
    if (lo > grown_max || hi < grown_min) return Side::kOut;
    if (tame && lo - margin > grown_min && hi + margin < grown_max) return Side::kSettled;
    return Side::kAcross;
}

// rt_tri_clip's answer for a triangle (box lo..hi) not rejected by its box,
// given the axes on which it is across the child's box (the others settled).
// Across one axis only, the upper stage keeps something exactly when a corner
// lies below the upper face, and the lower stage then keeps a corner above the
// lower face or an intersection point, which lies on the upper face up to
// rounding, far above the lower one: so the triangle's box decides.
bool overlaps(const TRIANGLE& tri, const double* lo, const double* hi, const double* box_lo, const double* box_hi,
              double tau, unsigned across) {
    if (across == 0) return true;
    if (across == 1 || across == 2 || across == 4) {
        const int a = across == 1 ? 0 : across == 2 ? 1 : 2;
        const double upper = box_hi[a] + tau;
        const double lower = box_lo[a] - tau;
        const double size = std::max({std::fabs(upper), std::fabs(lower), std::fabs(lo[a]), std::fabs(hi[a])});
        if (upper - lower > kSettledMargin * size + kSettledMarginAbsolute) return lo[a] < upper && hi[a] > lower;
    }
    // A corner inside every face survives every stage unchanged.
    for (const V3D* v : tri.v) {
        const double c[3] = {v->x, v->y, v->z};
        bool inside = true;
        for (int a = 0; a < 3; ++a) {
            if ((across >> a) & 1) inside = inside && (box_hi[a] + tau) - c[a] > 0 && c[a] - (box_lo[a] - tau) > 0;
        }
        if (inside) return true;
    }
    return clip_on_axes(tri, box_lo, box_hi, tau, across) != 0;
}

// Bit i set when the triangle overlaps child i of parent (whose mid is set):
// the answer of rt_tri_clip for each child, clipping only on unsettled axes.
uint8_t overlap_bits(const TRIANGLE& tri, const Box& box, const CELL& parent, double tau, bool tame) {
    const double* lo = box.lo;
    const double* hi = box.hi;
    // Per axis, the halves the box reaches (bit 0 lower, bit 1 upper) and
    // those it lies across.
    unsigned reach[3], across_half[3];
    for (int a = 0; a < 3; ++a) {
        const double margin = kSettledMargin * std::max(std::fabs(lo[a]), std::fabs(hi[a])) + kSettledMarginAbsolute;
        const Side lower = side(lo[a], hi[a], parent.min[a], parent.mid[a], tau, tame, margin);
        const Side upper = side(lo[a], hi[a], parent.mid[a], parent.max[a], tau, tame, margin);
        reach[a] = (lower != Side::kOut ? 1u : 0u) | (upper != Side::kOut ? 2u : 0u);
        across_half[a] = (lower == Side::kAcross ? 1u : 0u) | (upper == Side::kAcross ? 2u : 0u);
        if (reach[a] == 0) return 0;
    }
    // Only the children in reached halves on every axis; most triangles reach
    // one half per axis, so one child.
    uint8_t bits = 0;
    for (int hz = 0; hz < 2; ++hz) {
        if (!((reach[2] >> hz) & 1)) continue;
        for (int hy = 0; hy < 2; ++hy) {
            if (!((reach[1] >> hy) & 1)) continue;
            for (int hx = 0; hx < 2; ++hx) {
                if (!((reach[0] >> hx) & 1)) continue;
                const int half[3] = {hx, hy, hz};
                unsigned across = 0;
                double box_lo[3], box_hi[3];
                for (int a = 0; a < 3; ++a) {
                    if ((across_half[a] >> half[a]) & 1) across |= 1u << a;
                    box_lo[a] = half[a] ? parent.mid[a] : parent.min[a];
                    box_hi[a] = half[a] ? parent.max[a] : parent.mid[a];
                }
                if (overlaps(tri, lo, hi, box_lo, box_hi, tau, across))
                    bits = static_cast<uint8_t>(bits | (1u << (hx | hy << 1 | hz << 2)));
            }
        }
    }
    return bits;
}

// Cells with at least this many references divide their subtrees as tasks.
constexpr int32_t kTaskReferences = 4096;

// The tracked allocator serves one thread at a time.
void* cell_malloc(std::size_t size) {
    void* address;
#pragma omp critical(zy_cell_memory)
    address = my_malloc(size);
    return address;
}

void cell_free(void* address) {
#pragma omp critical(zy_cell_memory)
    my_free(address);
}

bool divides(const CELL& cell) {
    return cell.count > 0 && cell.level <= 9 && cell.count >= cell_threshold_table[cell.level];
}

void set_up_child(CELL& kid, const CELL& parent, int index) {
    kid.leaf = 1;
    kid.level = static_cast<int8_t>(parent.level + 1);
    kid.bounded = 0;
    for (int a = 0; a < 3; ++a) {
        const bool upper = (index >> a) & 1;
        kid.min[a] = upper ? parent.mid[a] : parent.min[a];
        kid.max[a] = upper ? parent.max[a] : parent.mid[a];
        kid.mid[a] = 0.0;
    }
    kid.count = 0;
    kid.tris = nullptr;
    kid.kids = nullptr;
    kid.next = nullptr;
}

class Divider {
public:
    explicit Divider(bool tame) : tame_(tame) {}

    void divide(CELL& cell) {
        if (!divides(cell)) {
            bound_leaf(cell);
            return;
        }
        // Room to start the children on a cache line; the block is released
        // whole with the frame's.
        void* const block = cell_malloc(8 * sizeof(CELL) + alignof(CELL));
        if (block == nullptr) {
            bound_leaf(cell);
            return;
        }
        auto* kids = static_cast<CELL*>(align_up(block, alignof(CELL)));
        for (int a = 0; a < 3; ++a) cell.mid[a] = cell.min[a] + (cell.max[a] - cell.min[a]) / 2.0;
        for (int i = 0; i < 8; ++i) set_up_child(kids[i], cell, i);
        if (!fill_children(cell, kids)) {
            cell_free(block);
            bound_leaf(cell);
            return;
        }
        cell_free(cell.tris);
        cell.leaf = 0;
        cell.count = 0;
        cell.tris = nullptr;
        cell.kids = kids;
        for (int i = 0; i < 8; ++i) {
            CELL* kid = &kids[i];
            if (kid->count >= kTaskReferences) {
#pragma omp task firstprivate(kid)
                divide(*kid);
            } else {
                divide(*kid);
            }
        }
    }

private:
    // Gives each child its triangles in the parent's order, in an array of
    // exactly its size (none for an empty child). False when memory ran out;
    // then nothing is kept.
    bool fill_children(const CELL& parent, CELL* kids) {
        // Which children each reference overlaps: scratch the size of this
        // cell, so that a thread holds no more than the cell it divides.
        auto* const mask = static_cast<uint8_t*>(cell_malloc(static_cast<std::size_t>(parent.count)));
        if (mask == nullptr) return false;
        const bool filled = fill_children(parent, kids, mask);
        cell_free(mask);
        return filled;
    }

    bool fill_children(const CELL& parent, CELL* kids, uint8_t* mask) {
        const double tau = cell_tolerance[parent.level + 1];
        int32_t counts[8] = {};
        for (int32_t k = 0; k < parent.count; ++k) {
            // The vertex pointers follow the ray tests in the record.
            if (k + kPrefetchAhead < parent.count)
                __builtin_prefetch(reinterpret_cast<const char*>(parent.tris[k + kPrefetchAhead]) + offsetof(TRIANGLE, v));
            const TRIANGLE& tri = *parent.tris[k];
            const uint8_t bits = overlap_bits(tri, Box(tri), parent, tau, tame_);
            mask[k] = bits;
            for (int i = 0; i < 8; ++i) counts[i] += (bits >> i) & 1;
        }
        for (int i = 0; i < 8; ++i) {
            if (counts[i] == 0) continue;
            kids[i].tris =
                static_cast<const TRIANGLE**>(cell_malloc(static_cast<std::size_t>(counts[i]) * sizeof(TRIANGLE*)));
            if (kids[i].tris == nullptr) {
                for (int j = 0; j < i; ++j) cell_free(kids[j].tris);
                return false;
            }
        }
        for (int32_t k = 0; k < parent.count; ++k) {
            for (int i = 0; i < 8; ++i) {
                if ((mask[k] >> i) & 1) kids[i].tris[kids[i].count++] = parent.tris[k];
            }
        }
        return true;
    }

    bool tame_;
};

}  // namespace

void divide_cells(CELL& root, bool tame) {
    if (!divides(root)) {
        bound_leaf(root);
        return;
    }
    const int threads = std::max(1, omp_get_max_threads());
    Divider divider(tame);
    if (threads == 1) {
        divider.divide(root);
    } else {
#pragma omp parallel num_threads(threads)
#pragma omp single
        divider.divide(root);
    }
}

}  // namespace zy
