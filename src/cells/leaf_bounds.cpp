// Why the bounds hold. Let a triangle have vertices of magnitude at most m,
// longest edge l, twice its area A, and stretch k = l^2 / A. The test takes t
// from the plane and p = org + t dir; p passes only if each edge function,
// rounded, reaches its constant. Each edge function is off by at most a few
// dozen units in the last place of l (m + |p|), and the three add up to A, so
// each barycentric weight of p is off by that over A: p lies within a few
// dozen eps k m of the triangle's plane region (the plane normal is off by
// eps k). The plane equation puts p within a few dozen eps (m + |org|) of the
// plane, and p itself within a few eps (|org| + |p|) of the exact ray. So the
// exact ray passes within reach + kBoundsSlack |org| of the triangle, where
// reach = kBoundsSlack (k + 1) (m + l) exceeds all of that by a factor near
// 2^20 for every triangle accepted here (k <= 1e6, m <= 1e30). The box and
// the slab take the vertices' extremes, widened by the leaf's largest reach
// and their own rounding, and LeafBoundsTest widens by the origin's part and
// allows for the rounding of its divisions.
#include "cells/leaf_bounds.h"

#include <cmath>

namespace zy {

namespace {

// Beyond these a triangle leaves its leaf unbounded.
constexpr double kLargestCoordinate = 1e30;
constexpr double kMostStretched = 1e6;

// How far from the triangle a hit it reports can lie, or a negative value
// when the triangle is outside what the widening covers.
double reach(const TRIANGLE& tri) {
    const V3D& a = *tri.v[0];
    const V3D& b = *tri.v[1];
    const V3D& c = *tri.v[2];
    double m = 0.0;
    for (const V3D* v : tri.v) {
        for (const double x : {v->x, v->y, v->z}) {
            if (!(std::fabs(x) <= kLargestCoordinate)) return -1.0;
            m = std::max(m, std::fabs(x));
        }
    }
    // The test's normal must be the unit one the plane gives.
    const double n2 = tri.nrm.x * tri.nrm.x + tri.nrm.y * tri.nrm.y + tri.nrm.z * tri.nrm.z;
    if (!(std::fabs(n2 - 1.0) <= 1e-9)) return -1.0;
    const V3D e0{b.x - a.x, b.y - a.y, b.z - a.z};
    const V3D e1{c.x - b.x, c.y - b.y, c.z - b.z};
    const V3D e2{a.x - c.x, a.y - c.y, a.z - c.z};
    const double l2 = std::max({v3d_len_sqr(e0), v3d_len_sqr(e1), v3d_len_sqr(e2)});
    const V3D cross{e0.y * e2.z - e0.z * e2.y, e0.z * e2.x - e0.x * e2.z, e0.x * e2.y - e0.y * e2.x};
    const double area2 = std::sqrt(v3d_len_sqr(cross));
    if (!(area2 > 0.0)) return -1.0;
    const double stretch = l2 / area2;
    if (!(stretch <= kMostStretched)) return -1.0;
    return kBoundsSlack * (stretch + 1.0) * (m + std::sqrt(l2));
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

// The slab's direction: the plane normals, each turned toward the first one
// (a sheet seen from both sides still gives its own normal). Any direction
// keeps the bounds true; a good one makes the slab thin.
bool slab_direction(const CELL& leaf, float n[3]) {
    const V3D& first = leaf.tris[0]->nrm;
    V3D sum{0.0, 0.0, 0.0};
    for (int32_t k = 0; k < leaf.count; ++k) {
        const V3D& nk = leaf.tris[k]->nrm;
        const double s = nk.x * first.x + nk.y * first.y + nk.z * first.z < 0.0 ? -1.0 : 1.0;
        sum = {sum.x + s * nk.x, sum.y + s * nk.y, sum.z + s * nk.z};
    }
    const double len = std::sqrt(v3d_len_sqr(sum));
    if (!(len > 0.0) || !std::isfinite(len)) return false;
    n[0] = static_cast<float>(sum.x / len);
    n[1] = static_cast<float>(sum.y / len);
    n[2] = static_cast<float>(sum.z / len);
    return true;
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
        const TRIANGLE& tri = *leaf.tris[k];
        const double r = reach(tri);
        if (r < 0.0) return;
        widest = std::max(widest, r);
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
