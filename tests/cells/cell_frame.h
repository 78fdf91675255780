// Frames held in memory for the cell tests: triangles completed by the real
// triangle set-up, the tree built as the frame loop builds it, a trace state
// sized for the frame, and a plain loop over all triangles as the oracle.
#pragma once

#include <random>
#include <string>
#include <vector>

#include "cells/search.h"
#include "support/test_support.h"

namespace zy::test {

/// Three corners of a triangle.
struct Corners {
    V3D a, b, c;
};

/// A tiny triangle with its first corner at p.
Corners tiny_at(const V3D& p, double size = 0.01);

class CellFrame {
public:
    explicit CellFrame(const std::vector<Corners>& corners);
    CellFrame(const CellFrame&) = delete;
    CellFrame& operator=(const CellFrame&) = delete;

    /// Builds the tree of the frame (per-frame memory, as in the frame loop).
    void build();
    /// Turns the floor on at height fy with radius r.
    void set_floor(double fy, double r);

    const TRIANGLE* tri(int i) const { return &tris_[static_cast<std::size_t>(i)]; }
    int index_of(const TRIANGLE* t) const { return static_cast<int>(t - tris_.data()); }
    int size() const { return static_cast<int>(tris_.size()); }
    TraceState& trace() { return ts_; }

private:
    InProcess process_;
    std::vector<V3D> points_;
    std::vector<TRIANGLE> tris_;
    TraceState ts_;
};

/// A ray with origin and direction, prepared for a search.
RT_RAY ray_from(TraceState& ts, const V3D& org, const V3D& dir);

/// What the plain loop over all triangles (and the floor) finds for a prepared
/// ray: the nearest hit, whether the case is generic enough for an exact
/// comparison, and why not.
struct PlainHit {
    const TRIANGLE* tri = nullptr;
    double t = kFltMax;
    bool generic = true;
};
PlainHit plain_nearest(const RT_RAY& ray, const TRIANGLE* exclude);

/// Random triangles: n of them with corners around centres spread in [0, extent]^3,
/// edges up to size; snap > 0 rounds every coordinate to a multiple of snap.
std::vector<Corners> random_triangles(std::mt19937& rng, int n, double extent, double size, double snap = 0.0);

/// Every cell of the tree below (and including) cell, depth first.
void collect_cells(const CELL& cell, std::vector<const CELL*>& out);

}  // namespace zy::test
