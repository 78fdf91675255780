// Every triangle of a leaf carries its reach: a hit it reports lies that
// close to it, plus kBoundsSlack |org|. The box and the slab take the
// vertices' extremes, widened by the leaf's largest reach and their own
// rounding; LeafBoundsTest widens by the origin's part and allows for the
// rounding of its divisions.
#include "cells/leaf_bounds.h"

#include <cmath>

namespace zy {

namespace {

// How many references ahead the records and then their points are asked for.
constexpr int32_t kRecordsAhead = 16;
constexpr int32_t kPointsAhead = 8;

// The slab's direction: the plane normals, each turned toward the first one
// (a sheet seen from both sides still gives its own normal). Any direction
// keeps the bounds true; this one makes the slab thin where the surface is
// smooth.
bool slab_direction(const CELL& leaf, float n[3]) {
    const V3D& first = leaf.tris[0]->nrm;
    V3D sum{0.0, 0.0, 0.0};
    for (int32_t k = 0; k < leaf.count; ++k) {
        const V3D& nk = leaf.tris[k]->nrm;
        const double s = v3d_scal(nk, first) < 0.0 ? -1.0 : 1.0;
        sum = {sum.x + s * nk.x, sum.y + s * nk.y, sum.z + s * nk.z};
    }
    const double len = std::sqrt(v3d_len_sqr(sum));
    if (!(len > 0.0) || !(len < std::numeric_limits<double>::infinity())) return false;
    for (int a = 0; a < 3; ++a) n[a] = static_cast<float>((a == 0 ? sum.x : a == 1 ? sum.y : sum.z) / len);
    return true;
}

float float_below(double x) {
    float f = static_cast<float>(x);
    if (static_cast<double>(f) > x) f = std::nextafter(f, -std::numeric_limits<float>::infinity());
    return f;
}

float float_above(double x) {
    float f = static_cast<float>(x);
    if (static_cast<double>(f) < x) f = std::nextafter(f, std::numeric_limits<float>::infinity());
    return f;
}

}  // namespace

void bound_leaf(CELL& leaf) {
    leaf.bounded = 0;
    if (leaf.count <= 0) return;
    float n[3];
    if (!slab_direction(leaf, n)) return;
    const double inf = std::numeric_limits<double>::infinity();
    double lo[3] = {inf, inf, inf};
    double hi[3] = {-inf, -inf, -inf};
    double s0 = inf;
    double s1 = -inf;
    double widest = 0.0;
    double largest = 0.0;
    for (int32_t k = 0; k < leaf.count; ++k) {
        // The references lie scattered through the frame's records and points.
        if (k + kRecordsAhead < leaf.count) __builtin_prefetch(&leaf.tris[k + kRecordsAhead]->v);
        if (k + kPointsAhead < leaf.count) {
            for (const V3D* v : leaf.tris[k + kPointsAhead]->v) __builtin_prefetch(v);
        }
        const TRIANGLE& tri = *leaf.tris[k];
        if (!(tri.reach >= 0.0f)) return;
        widest = std::max(widest, static_cast<double>(tri.reach));
        for (const V3D* v : tri.v) {
            const double x[3] = {v->x, v->y, v->z};
            for (int a = 0; a < 3; ++a) {
                lo[a] = std::min(lo[a], x[a]);
                hi[a] = std::max(hi[a], x[a]);
                largest = std::max(largest, std::fabs(x[a]));
            }
            const double s = n[0] * x[0] + n[1] * x[1] + n[2] * x[2];
            s0 = std::min(s0, s);
            s1 = std::max(s1, s);
        }
    }
    // The rounding of the sums above and of the test's subtractions.
    const double box_widening = widest + kBoundsSlack * largest;
    const double n1 = std::fabs(n[0]) + std::fabs(n[1]) + std::fabs(n[2]);
    LeafBounds& b = leaf.bounds;
    for (int a = 0; a < 3; ++a) {
        b.box[a] = float_below(lo[a] - box_widening);
        b.box[a + 3] = float_above(hi[a] + box_widening);
        b.n[a] = n[a];
    }
    b.s0 = float_below(s0 - n1 * box_widening);
    b.s1 = float_above(s1 + n1 * box_widening);
    leaf.bounded = 1;
}

}  // namespace zy
