// The ray test of a cell's triangles, several references at a time: the
// plane and edge test of each triangle, with the exact arithmetic of the
// one-triangle test, so that every lane gives that test's bits.
#pragma once

#include <cstdint>

#include "cells/cells.h"
#include "geometry/ray.h"

namespace zy {

/// A reference of a cell whose triangle the ray meets, and the distance.
struct ReferenceHit {
    int32_t ref;
    double t;
};

/// Most references one call tests.
inline constexpr int32_t kHitChunk = 64;

/// Which rule a search applies at the edges and at the far end.
enum class HitRule : uint8_t {
    /// Nearest-hit search: a hit lies within kFltEpsilon < t < kFltMax,
    /// inside unless an edge function is below its constant.
    kNearest,
    /// Shadow search: a hit lies within kFltEpsilon < t < limit, inside
    /// when every edge function reaches its constant (edges are not asked
    /// from kFltMax on).
    kShadow,
};

/// The references begin .. end - 1 of cell (at most kHitChunk) whose
/// triangles ray meets under rule, in reference order; limit is the shadow
/// search's light distance. Returns how many were written to hits.
/// ahead: asks for the records of the references kSearchPrefetch further on.
int32_t reference_hits(HitRule rule, const CELL& cell, int32_t begin, int32_t end, const RT_RAY& ray, double limit,
                       bool ahead, ReferenceHit* hits);

/// One triangle's test under rule: the distance of the hit, or false.
bool triangle_hit(HitRule rule, const TRIANGLE& tri, const RT_RAY& ray, double limit, double& t);

/// The same as reference_hits, one triangle at a time, without wide
/// registers; what reference_hits runs on processors without AVX2.
int32_t reference_hits_one_by_one(HitRule rule, const CELL& cell, int32_t begin, int32_t end, const RT_RAY& ray,
                                  double limit, ReferenceHit* hits);

}  // namespace zy
