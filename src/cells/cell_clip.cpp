#include "cells/cell_clip.h"

#include <initializer_list>

namespace zy {

namespace {

// Clipping a triangle by six planes yields at most 9 vertices in exact arithmetic;
// even if rounding made every stage add half the vertices again, 3 grows to 28.
constexpr int kClipCapacity = 32;

struct Polygon {
    V3D p[kClipCapacity];
    int n = 0;
};

double coordinate(const V3D& v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

bool crosses(double d, double e) { return (d > 0 && e <= 0) || (d <= 0 && e > 0); }

// One stage: keeps the part of `in` where the signed distance to the bound is
// positive. A vertex at distance 0 is dropped; a crossing edge contributes its
// intersection point.
void clip_stage(const Polygon& in, Polygon& out, int axis, bool upper, double bound) {
    double delta[kClipCapacity];
    for (int i = 0; i < in.n; ++i) delta[i] = upper ? bound - coordinate(in.p[i], axis) : coordinate(in.p[i], axis) - bound;
    auto crossing = [&](int from, int to) {
        const V3D& a = in.p[from];
        const V3D& b = in.p[to];
        const double s = delta[from] / (delta[from] - delta[to]);
        out.p[out.n++] = {a.x + (b.x - a.x) * s, a.y + (b.y - a.y) * s, a.z + (b.z - a.z) * s};
    };
    out.n = 0;
    const int last = in.n - 1;
    if (delta[0] > 0) out.p[out.n++] = in.p[0];
    for (int i = 1; i <= last; ++i) {
        if (crosses(delta[i - 1], delta[i])) crossing(i - 1, i);
        if (delta[i] > 0) out.p[out.n++] = in.p[i];
    }
    if (crosses(delta[last], delta[0])) crossing(last, 0);
}

}  // namespace

int16_t clip_on_axes(const TRIANGLE& tri, const double* lo, const double* hi, double tau, unsigned axes) {
    struct Stage {
        int axis;
        bool upper;
        double bound;
    };
    Stage stages[6];
    int count = 0;
    for (int axis = 0; axis < 3; ++axis) {
        if (!((axes >> axis) & 1)) continue;
        stages[count++] = {axis, true, hi[axis] + tau};
        stages[count++] = {axis, false, lo[axis] - tau};
    }
    Polygon work[2];
    work[0].p[0] = *tri.v[0];
    work[0].p[1] = *tri.v[1];
    work[0].p[2] = *tri.v[2];
    work[0].n = 3;
    int current = 0;
    for (int k = 0; k + 1 < count; ++k) {
        clip_stage(work[current], work[1 - current], stages[k].axis, stages[k].upper, stages[k].bound);
        current = 1 - current;
        if (work[current].n == 0) return 0;
    }
    if (count == 0) return 1;
    // The last stage leaves something exactly when one of its vertices lies
    // inside: every such vertex is kept, and a crossing edge has one.
    const Stage& last = stages[count - 1];
    const Polygon& in = work[current];
    for (int i = 0; i < in.n; ++i) {
        const double c = coordinate(in.p[i], last.axis);
        if ((last.upper ? last.bound - c : c - last.bound) > 0) return 1;
    }
    return 0;
}

int16_t rt_tri_clip(const TRIANGLE& tri, const CELL& cell) {
    const double tau = cell_tolerance[cell.level];
    double bb_min[3], bb_max[3];
    triangle_box(tri, bb_min, bb_max);
    for (int a = 0; a < 3; ++a) {
        if (bb_min[a] > cell.max[a] + tau || bb_max[a] < cell.min[a] - tau) return 0;
    }
    return clip_on_axes(tri, cell.min, cell.max, tau, kClipAllAxes);
}

}  // namespace zy
