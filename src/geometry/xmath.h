// Vector math of the renderer: angles, 2- and 3-component vectors, 4x4 matrices.
// Dot products and lengths are summed y first, then x, then z: the order decides
// the last bits of every picture.
#pragma once

#include <cmath>

namespace zy {

/// Point, direction or normal of the run-time scene (scene units).
struct V3D {
    double x, y, z;
};

/// Texture or wave coordinate pair.
struct V2D {
    double x, y;
};

/// Row-vector transform: rows 0..2 linear part, row 3 translation, column 3 unused.
struct MAT4 {
    double m[4][4];
};

/// Lengths below this are degenerate for `v3d_nrm` / `v2d_nrm` (2^-52).
inline constexpr double kMachineEpsilon = 2.220446049250313e-16;
/// Squared lengths below this are not normalised in geometry and shading code.
inline constexpr double kDegenerateSqr = 1.421086e-14;
/// 32-bit float constants used as "no hit" and "smallest accepted distance".
inline constexpr double kFltMax = 3.4028234663852886e+38;
inline constexpr double kFltEpsilon = 1.1920928955078125e-07;

inline constexpr double kPi = 3.141592653589793;
/// Radians in a degree.
inline constexpr double kDegree = 0.017453292519943295;

inline double deg_to_rad(double a) { return a * kDegree; }
inline double rad_to_deg(double a) { return a / kDegree; }

inline double v2d_len(const V2D& v) { return std::sqrt(v.y * v.y + v.x * v.x); }

inline double v2d_nrm(V2D& v) {
    const double len = v2d_len(v);
    if (len < kMachineEpsilon) return 0.0;
    v.x /= len;
    v.y /= len;
    return len;
}

inline void v3d_add(const V3D& a, const V3D& b, V3D& out) {
    out.x = a.x + b.x;
    out.y = a.y + b.y;
    out.z = a.z + b.z;
}

inline void v3d_sub(const V3D& a, const V3D& b, V3D& out) {
    out.x = a.x - b.x;
    out.y = a.y - b.y;
    out.z = a.z - b.z;
}

/// Cross product; out may alias a or b.
inline void v3d_mul(const V3D& a, const V3D& b, V3D& out) {
    const V3D r{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    out = r;
}

inline double v3d_scal(const V3D& a, const V3D& b) { return a.y * b.y + a.x * b.x + a.z * b.z; }

inline double v3d_len(const V3D& v) { return std::sqrt(v.y * v.y + v.x * v.x + v.z * v.z); }

inline void v3d_fmul(const V3D& v, double s, V3D& out) {
    out.x = s * v.x;
    out.y = s * v.y;
    out.z = s * v.z;
}

inline void v3d_flip(V3D& v) {
    v.x = -v.x;
    v.y = -v.y;
    v.z = -v.z;
}

inline void v3d_clr(V3D& v) { v.x = v.y = v.z = 0.0; }

inline double v3d_nrm(V3D& v) {
    const double len = v3d_len(v);
    if (len < kMachineEpsilon) return 0.0;
    v.x /= len;
    v.y /= len;
    v.z /= len;
    return len;
}

/// Affine transform of the row vector (x, y, z, 1); out may alias v.
inline void v3d_trnsf(const V3D& v, V3D& out, const MAT4& mat) {
    const auto& m = mat.m;
    const V3D r{m[1][0] * v.y + m[0][0] * v.x + m[2][0] * v.z + m[3][0],
                m[1][1] * v.y + m[0][1] * v.x + m[2][1] * v.z + m[3][1],
                m[1][2] * v.y + m[0][2] * v.x + m[2][2] * v.z + m[3][2]};
    out = r;
}

/// Unit normal of the plane p0, p1, p2 (right-hand rule); stays the raw cross
/// product when the points are collinear.
inline void v3d_plane_nrm(const V3D& p0, const V3D& p1, const V3D& p2, V3D& out) {
    V3D e1, e2;
    v3d_sub(p1, p0, e1);
    v3d_sub(p2, p0, e2);
    v3d_mul(e1, e2, out);
    v3d_nrm(out);
}

inline void v3d_to_d(const V3D& src, V3D& dst) { dst = src; }

/// Squared length, summed y, x, z.
inline double v3d_len_sqr(const V3D& v) { return v.y * v.y + v.x * v.x + v.z * v.z; }

/// Divides v by its length unless its squared length is below kDegenerateSqr
/// (the rule of the geometry and shading code, unlike v3d_nrm's).
inline void v3d_nrm_unless_degenerate(V3D& v) {
    const double sqr = v3d_len_sqr(v);
    if (sqr < kDegenerateSqr) return;
    const double len = std::sqrt(sqr);
    v.x /= len;
    v.y /= len;
    v.z /= len;
}

}  // namespace zy
