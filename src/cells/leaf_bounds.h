// Bounds around the places where a leaf's triangles can be hit, so that a ray
// passes most leaves near a surface without testing their triangles.
#pragma once

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "cells/cells.h"
#include "geometry/ray.h"

namespace zy {

/// Scale of every widening: far above the rounding of the ray test, which
/// stays within a few dozen units in the last place of the sizes involved.
inline constexpr double kBoundsSlack = 0x1p-30;

/// Sets the bounds of a leaf of the built tree, or leaves it unbounded when a
/// triangle is too large, too thin or degenerate for the widening to hold.
void bound_leaf(CELL& leaf);

/// One ray against the bounds of the leaves it walks through.
class LeafBoundsTest {
public:
    explicit LeafBoundsTest(const RT_RAY& ray)
        : o_{ray.org.x, ray.org.y, ray.org.z}, d_{ray.dir.x, ray.dir.y, ray.dir.z} {
        for (int a = 0; a < 3; ++a) inv_[a] = d_[a] == 0.0 ? 0.0 : 1.0 / d_[a];
        widen_ = kBoundsSlack * std::max({std::fabs(o_[0]), std::fabs(o_[1]), std::fabs(o_[2])});
    }

    /// False only when no triangle of the cell can report a hit along the
    /// ray at a positive distance below kFltMax: its references need no test.
    bool may_hit(const CELL& cell) const {
        if (!cell.bounded) return true;
        const LeafBounds& b = cell.bounds;
        double t0 = 0.0;
        double t1 = std::numeric_limits<double>::infinity();
        for (int a = 0; a < 3; ++a) {
            const double lo = b.lo[a] - widen_;
            const double hi = b.hi[a] + widen_;
            if (d_[a] == 0.0) {
                if (o_[a] < lo || o_[a] > hi) return false;
                continue;
            }
            double enter = (lo - o_[a]) * inv_[a];
            double leave = (hi - o_[a]) * inv_[a];
            if (inv_[a] < 0.0) std::swap(enter, leave);
            // A NaN (0 x inf) leaves the interval as it is.
            t0 = t0 < enter ? enter : t0;
            t1 = leave < t1 ? leave : t1;
        }
        const double n1 = std::fabs(b.n[0]) + std::fabs(b.n[1]) + std::fabs(b.n[2]);
        const double sd = b.n[1] * d_[1] + b.n[0] * d_[0] + b.n[2] * d_[2];
        // Near the slab's direction the division would magnify the rounding
        // of sd: the slab is then left out, which only lets more leaves pass.
        if (std::fabs(sd) > 0x1p-20 * n1) {
            const double so = b.n[1] * o_[1] + b.n[0] * o_[0] + b.n[2] * o_[2];
            double enter = (b.s0 - widen_ * n1 - so) / sd;
            double leave = (b.s1 + widen_ * n1 - so) / sd;
            if (sd < 0.0) std::swap(enter, leave);
            t0 = t0 < enter ? enter : t0;
            t1 = leave < t1 ? leave : t1;
        }
        return t0 <= t1 * (1.0 + 0x1p-20);
    }

private:
    double o_[3], d_[3], inv_[3];
    double widen_;
};

}  // namespace zy
