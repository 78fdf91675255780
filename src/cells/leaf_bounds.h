// Bounds around the places where a leaf's triangles can be hit, so that a ray
// passes most leaves near a surface without testing their triangles.
#pragma once

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "cells/cells.h"
#include "geometry/ray.h"

namespace zy {

/// Sets the bounds of a leaf of the built tree, or leaves it unbounded when a
/// triangle is too large, too thin or degenerate for the widening to hold.
void bound_leaf(CELL& leaf);

/// Largest sum of the magnitudes of a slab direction's components.
inline constexpr double kSlabNormSum = 1.75;

/// One ray against the bounds of the leaves it walks through. It is set up
/// at the first bounded leaf: many rays meet none.
class LeafBoundsTest {
public:
    explicit LeafBoundsTest(const RT_RAY& ray) : ray_(ray) {}

    /// False only when no triangle of the cell can report a hit along the
    /// ray at a positive distance below kFltMax: its references need no test.
    bool may_hit(const CELL& cell) const {
        double t0, t1;
        return bounds_reached(cell, t0, t1);
    }

    /// The same for the hits the nearest search takes: those in the cell's
    /// box grown by tau, bounds included.
    bool may_hit_in_grown_box(const CELL& cell, double tau) const {
        double t0, t1;
        if (!bounds_reached(cell, t0, t1)) return false;
        if (!cell.bounded) return true;
        for (int a = 0; a < 3; ++a) {
            // The same bounds as the search's, widened for the rounding of the
            // hit point as well.
            const double lo = cell.min[a] - tau;
            const double hi = cell.max[a] + tau;
            const double w = kBoundsSlack * std::max(std::fabs(lo), std::fabs(hi));
            narrow_to_axis(a, lo - w, hi + w, t0, t1);
        }
        return t0 <= t1;
    }

private:
    // Whether the ray meets the cell's bounds, and where: true for a cell
    // without bounds.
    bool bounds_reached(const CELL& cell, double& t0, double& t1) const {
        if (!cell.bounded) return true;
        if (!ready_) set_up();
        const LeafBounds& b = cell.bounds;
        if (plain_) {
            box_interval(b, t0, t1);
        } else {
            box_interval_on_a_plane(b, t0, t1);
        }
        const __m128d n_xy = _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(b.n))));
        const double sd = sum(_mm_mul_pd(n_xy, d_xy_)) + b.n[2] * d_[2];
        // A ray along the slab's planes is left to the box, which only lets
        // more leaves pass. Each quotient's rounding moves its point across
        // the bounds by far less than their widening, kBoundsSlack times the
        // size of the coordinates and of the origin.
        if (std::fabs(sd) > 0x1p-10 * kSlabNormSum) {
            const double so = sum(_mm_mul_pd(n_xy, o_xy_)) + b.n[2] * o_[2];
            const __m128d ends = _mm_div_pd(
                _mm_sub_pd(_mm_set_pd(b.s1 + slab_widen_, b.s0 - slab_widen_), _mm_set1_pd(so)), _mm_set1_pd(sd));
            const __m128d flipped = _mm_shuffle_pd(ends, ends, 1);
            t0 = std::max(t0, _mm_cvtsd_f64(_mm_min_sd(ends, flipped)));
            t1 = std::min(t1, _mm_cvtsd_f64(_mm_max_sd(ends, flipped)));
        }
        return t0 <= t1;
    }

    static double sum(__m128d v) { return _mm_cvtsd_f64(_mm_add_sd(v, _mm_unpackhi_pd(v, v))); }

    // Out of line: once a ray at most.
    __attribute__((noinline)) void set_up() const {
        const double o[3] = {ray_.org.x, ray_.org.y, ray_.org.z};
        const double widen = kBoundsSlack * std::max({std::fabs(o[0]), std::fabs(o[1]), std::fabs(o[2])});
        plain_ = true;
        for (int a = 0; a < 3; ++a) {
            o_[a] = o[a];
            d_[a] = a == 0 ? ray_.dir.x : a == 1 ? ray_.dir.y : ray_.dir.z;
            // Below this the quotient may be infinite and meet a zero.
            plain_ = plain_ && std::fabs(d_[a]) >= 1e-300;
            inv_[a] = 1.0 / d_[a];
            lo_org_[a] = o[a] + widen;
            hi_org_[a] = o[a] - widen;
        }
        o_xy_ = _mm_set_pd(o_[1], o_[0]);
        d_xy_ = _mm_set_pd(d_[1], d_[0]);
        slab_widen_ = widen * kSlabNormSum;
        ready_ = true;
    }

    // Where the ray lies in the widened box, without infinities.
    void box_interval(const LeafBounds& b, double& t0, double& t1) const {
        const __m128d lo = _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(b.box))));
        const __m128d hi = _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(b.box + 3))));
        const __m128d inv = _mm_loadu_pd(inv_);
        const __m128d ta = _mm_mul_pd(_mm_sub_pd(lo, _mm_loadu_pd(lo_org_)), inv);
        const __m128d tb = _mm_mul_pd(_mm_sub_pd(hi, _mm_loadu_pd(hi_org_)), inv);
        const __m128d enter = _mm_min_pd(ta, tb);
        const __m128d leave = _mm_max_pd(ta, tb);
        const double za = (b.box[2] - lo_org_[2]) * inv_[2];
        const double zb = (b.box[5] - hi_org_[2]) * inv_[2];
        t0 = std::max({_mm_cvtsd_f64(enter), _mm_cvtsd_f64(_mm_unpackhi_pd(enter, enter)), std::min(za, zb), 0.0});
        t1 = std::min({_mm_cvtsd_f64(leave), _mm_cvtsd_f64(_mm_unpackhi_pd(leave, leave)), std::max(za, zb)});
    }

    // The same for a ray with a zero (or subnormal) component, which runs in
    // a plane of that axis: a NaN (zero times infinity) leaves the interval
    // as it is.
    void box_interval_on_a_plane(const LeafBounds& b, double& t0, double& t1) const {
        t0 = 0.0;
        t1 = std::numeric_limits<double>::infinity();
        for (int a = 0; a < 3; ++a) narrow_to_axis(a, b.box[a], b.box[a + 3], t0, t1);
    }

    // [t0, t1] cut to where the ray lies between lo and hi on axis a, these
    // widened by the origin's part; a NaN leaves it as it is.
    void narrow_to_axis(int a, double lo, double hi, double& t0, double& t1) const {
        double enter = (lo - lo_org_[a]) * inv_[a];
        double leave = (hi - hi_org_[a]) * inv_[a];
        if (std::signbit(inv_[a])) std::swap(enter, leave);
        t0 = t0 < enter ? enter : t0;
        t1 = leave < t1 ? leave : t1;
    }

    // Set up at the first bounded leaf (set_up), untouched before: most rays
    // meet none.
    const RT_RAY& ray_;
    mutable bool ready_ = false;
    mutable bool plain_;
    mutable double o_[3], d_[3], inv_[3];
    mutable double lo_org_[3], hi_org_[3];  // the origin moved by the widening
    mutable __m128d o_xy_, d_xy_;
    mutable double slab_widen_;
};

}  // namespace zy
