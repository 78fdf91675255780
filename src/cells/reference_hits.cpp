#include "cells/reference_hits.h"

#include <immintrin.h>

#include <cstddef>

#include "cells/search.h"

namespace zy {

// The wide test reads the first 128 bytes of a record as 16 doubles, four at
// a time: [nrm, d], [en0, en1.x], [en1.yz, en2.xy], [en2.z, ec].
static_assert(kHitChunk % 4 == 0);
static_assert(offsetof(TRIANGLE, nrm) == 0 && offsetof(TRIANGLE, d) == 24 && offsetof(TRIANGLE, en) == 32 &&
              offsetof(TRIANGLE, ec) == 104 && sizeof(V3D) == 24);

bool triangle_hit(HitRule rule, const TRIANGLE& g, const RT_RAY& ray, double limit, double& t) {
    const double den = v3d_scal(ray.dir, g.nrm);
    if (den == 0) return false;
    t = (g.d - v3d_scal(ray.org, g.nrm)) / den;
    if (rule == HitRule::kNearest) limit = kFltMax;
    if (!(t > kFltEpsilon) || !(t < limit)) return false;
    if (rule == HitRule::kShadow && t >= kFltMax) return true;
    const V3D p{ray.org.x + t * ray.dir.x, ray.org.y + t * ray.dir.y, ray.org.z + t * ray.dir.z};
    for (int i = 0; i < 3; ++i) {
        const double e = v3d_scal(g.en[i], p);
        if (rule == HitRule::kNearest ? e < g.ec[i] : !(e >= g.ec[i])) return false;
    }
    return true;
}

namespace {

// Kept out of line: inlined, it would make every call pay for its registers.
__attribute__((noinline)) int32_t one_by_one(HitRule rule, const CELL& cell, int32_t begin, int32_t end,
                                             const RT_RAY& ray, double limit, bool ahead, ReferenceHit* hits) {
    int32_t n = 0;
    for (int32_t k = begin; k < end; ++k) {
        if (ahead) prefetch_reference(cell, k + kSearchPrefetch);
        double t;
        if (triangle_hit(rule, *cell.tris[k], ray, limit, t)) hits[n++] = {k, t};
    }
    return n;
}

// Four records' 32-byte blocks at offset, as four vectors of one field each.
struct Columns {
    __m256d c[4];
};

__attribute__((target("avx2"))) inline Columns columns(const double* const rec[4], int offset) {
    const __m256d r0 = _mm256_load_pd(rec[0] + offset);
    const __m256d r1 = _mm256_load_pd(rec[1] + offset);
    const __m256d r2 = _mm256_load_pd(rec[2] + offset);
    const __m256d r3 = _mm256_load_pd(rec[3] + offset);
    const __m256d lo01 = _mm256_unpacklo_pd(r0, r1);
    const __m256d hi01 = _mm256_unpackhi_pd(r0, r1);
    const __m256d lo23 = _mm256_unpacklo_pd(r2, r3);
    const __m256d hi23 = _mm256_unpackhi_pd(r2, r3);
    return {{_mm256_permute2f128_pd(lo01, lo23, 0x20), _mm256_permute2f128_pd(hi01, hi23, 0x20),
             _mm256_permute2f128_pd(lo01, lo23, 0x31), _mm256_permute2f128_pd(hi01, hi23, 0x31)}};
}

// a.y b.y + a.x b.x + a.z b.z, lane by lane, in that order.
__attribute__((target("avx2"))) inline __m256d dot(__m256d ax, __m256d ay, __m256d az, __m256d bx, __m256d by,
                                                   __m256d bz) {
    return _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(ay, by), _mm256_mul_pd(ax, bx)), _mm256_mul_pd(az, bz));
}

// The ray, broadcast to every lane, and the test of four records against it.
template <HitRule rule>
struct FourLanes {
    __m256d ox, oy, oz, dx, dy, dz, far;

    __attribute__((target("avx2"))) FourLanes(const RT_RAY& ray, double limit)
        : ox(_mm256_set1_pd(ray.org.x)),
          oy(_mm256_set1_pd(ray.org.y)),
          oz(_mm256_set1_pd(ray.org.z)),
          dx(_mm256_set1_pd(ray.dir.x)),
          dy(_mm256_set1_pd(ray.dir.y)),
          dz(_mm256_set1_pd(ray.dir.z)),
          far(_mm256_set1_pd(rule == HitRule::kNearest ? kFltMax : limit)) {}

    // Bit j set when the ray meets the triangle of rec[j], for the lanes in
    // mask; t receives the four plane distances.
    __attribute__((target("avx2"))) inline int hits(const double* const rec[4], int mask, __m256d& t) const {
        const Columns plane = columns(rec, 0);
        const __m256d nx = plane.c[0], ny = plane.c[1], nz = plane.c[2];
        const __m256d den = dot(dx, dy, dz, nx, ny, nz);
        t = _mm256_div_pd(_mm256_sub_pd(plane.c[3], dot(ox, oy, oz, nx, ny, nz)), den);
        const __m256d ahead_of_org =
            _mm256_and_pd(_mm256_cmp_pd(den, _mm256_setzero_pd(), _CMP_NEQ_UQ),
                          _mm256_and_pd(_mm256_cmp_pd(t, _mm256_set1_pd(kFltEpsilon), _CMP_GT_OQ),
                                        _mm256_cmp_pd(t, far, _CMP_LT_OQ)));
        int bits = _mm256_movemask_pd(ahead_of_org);
        if (mask != 0xf) bits &= mask;  // folds away for a whole group
        if (bits == 0) return 0;

        const Columns a = columns(rec, 4), b = columns(rec, 8), c = columns(rec, 12);
        const __m256d px = _mm256_add_pd(ox, _mm256_mul_pd(t, dx));
        const __m256d py = _mm256_add_pd(oy, _mm256_mul_pd(t, dy));
        const __m256d pz = _mm256_add_pd(oz, _mm256_mul_pd(t, dz));
        const __m256d e0 = dot(a.c[0], a.c[1], a.c[2], px, py, pz);
        const __m256d e1 = dot(a.c[3], b.c[0], b.c[1], px, py, pz);
        const __m256d e2 = dot(b.c[2], b.c[3], c.c[0], px, py, pz);
        __m256d inside;
        if constexpr (rule == HitRule::kNearest) {
            inside = _mm256_and_pd(
                _mm256_and_pd(_mm256_cmp_pd(e0, c.c[1], _CMP_NLT_UQ), _mm256_cmp_pd(e1, c.c[2], _CMP_NLT_UQ)),
                _mm256_cmp_pd(e2, c.c[3], _CMP_NLT_UQ));
        } else {
            inside = _mm256_or_pd(_mm256_cmp_pd(t, _mm256_set1_pd(kFltMax), _CMP_GE_OQ),
                                  _mm256_and_pd(_mm256_and_pd(_mm256_cmp_pd(e0, c.c[1], _CMP_GE_OQ),
                                                              _mm256_cmp_pd(e1, c.c[2], _CMP_GE_OQ)),
                                                _mm256_cmp_pd(e2, c.c[3], _CMP_GE_OQ)));
        }
        return bits & _mm256_movemask_pd(inside);
    }
};

inline const double* record(const TRIANGLE* tri) { return reinterpret_cast<const double*>(tri); }

// Appends the hits of bits, found in the four references from k on.
__attribute__((target("avx2"))) inline int32_t put_hits(int bits, int32_t k, __m256d t, ReferenceHit* hits, int32_t n) {
    alignas(32) double ts[4];
    _mm256_store_pd(ts, t);
    for (int j = 0; j < 4; ++j) {
        if ((bits >> j) & 1) hits[n++] = {k + j, ts[j]};
    }
    return n;
}

template <HitRule rule, bool ahead>
__attribute__((target("avx2"))) int32_t four_at_a_time(const CELL& cell, int32_t begin, int32_t end, const RT_RAY& ray,
                                                       double limit, ReferenceHit* hits) {
    const FourLanes<rule> lanes(ray, limit);
    const TRIANGLE* const* refs = cell.tris;
    int32_t n = 0;
    int32_t k = begin;
    __m256d t;
    for (; end - k >= 4; k += 4) {
        const double* const rec[4] = {record(refs[k]), record(refs[k + 1]), record(refs[k + 2]), record(refs[k + 3])};
        if constexpr (ahead) {
            for (int32_t j = 0; j < 4; ++j) prefetch_reference(cell, k + j + kSearchPrefetch);
        }
        const int bits = lanes.hits(rec, 0xf, t);
        if (bits != 0) n = put_hits(bits, k, t, hits, n);
    }
    if (k < end) {
        // The missing lanes repeat the first record; their results are dropped.
        // The searches' chunks are whole groups, so a short group ends the
        // cell: nothing to ask ahead for.
        const int32_t left = end - k;
        const double* const rec[4] = {record(refs[k]), record(refs[left > 1 ? k + 1 : k]),
                                      record(refs[left > 2 ? k + 2 : k]), record(refs[k])};
        const int bits = lanes.hits(rec, (1 << left) - 1, t);
        if (bits != 0) n = put_hits(bits, k, t, hits, n);
    }
    return n;
}

const bool kHasAvx2 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
}();

}  // namespace

int32_t reference_hits_one_by_one(HitRule rule, const CELL& cell, int32_t begin, int32_t end, const RT_RAY& ray,
                                  double limit, ReferenceHit* hits) {
    return one_by_one(rule, cell, begin, end, ray, limit, false, hits);
}

int32_t reference_hits(HitRule rule, const CELL& cell, int32_t begin, int32_t end, const RT_RAY& ray, double limit,
                       bool ahead, ReferenceHit* hits) {
    if (kHasAvx2) {
        if (rule == HitRule::kNearest) {
            return ahead ? four_at_a_time<HitRule::kNearest, true>(cell, begin, end, ray, limit, hits)
                         : four_at_a_time<HitRule::kNearest, false>(cell, begin, end, ray, limit, hits);
        }
        return ahead ? four_at_a_time<HitRule::kShadow, true>(cell, begin, end, ray, limit, hits)
                     : four_at_a_time<HitRule::kShadow, false>(cell, begin, end, ray, limit, hits);
    }
    return one_by_one(rule, cell, begin, end, ray, limit, ahead, hits);
}

}  // namespace zy
