#include "zyscene/transform.h"

#include <cmath>
#include <cstring>

#include "geometry/xmath.h"

namespace zy::zyscene {

namespace {

static_assert(kDegree == kPi / 180.0);  // the factor these rotations were built with

// Row-vector rotation turning axis `from` toward axis `to` for a positive angle.
MAT4 rotation(int from, int to, double degrees) {
    MAT4 r = identity();
    const double c = std::cos(degrees * kDegree), s = std::sin(degrees * kDegree);
    r.m[from][from] = c;
    r.m[from][to] = s;
    r.m[to][from] = -s;
    r.m[to][to] = c;
    return r;
}

}  // namespace

MAT4 identity() {
    MAT4 m{};
    for (int i = 0; i < 4; ++i) m.m[i][i] = 1;
    return m;
}

MAT4 multiply(const MAT4& a, const MAT4& b) {
    MAT4 r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 4; ++k) r.m[i][j] += a.m[i][k] * b.m[k][j];
    return r;
}

MAT4 object_matrix(const Transform& t) {
    MAT4 m = identity();
    m.m[0][0] = t.scale.x;
    m.m[1][1] = t.scale.y;
    m.m[2][2] = t.scale.z;
    m = multiply(m, rotation(1, 2, t.rotate.x));
    m = multiply(m, rotation(2, 0, t.rotate.y));
    m = multiply(m, rotation(0, 1, t.rotate.z));
    m.m[3][0] = t.translate.x;
    m.m[3][1] = t.translate.y;
    m.m[3][2] = t.translate.z;
    return m;
}

double linear_determinant(const MAT4& m) {
    const auto& a = m.m;
    return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) - a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
           a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
}

MAT4 inverse_affine(const MAT4& m) {
    const auto& a = m.m;
    const double det = linear_determinant(m);
    MAT4 r{};
    // Adjugate over the determinant, for the 3 x 3 linear part.
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            const int i1 = (i + 1) % 3, i2 = (i + 2) % 3, j1 = (j + 1) % 3, j2 = (j + 2) % 3;
            r.m[j][i] = (a[i1][j1] * a[i2][j2] - a[i1][j2] * a[i2][j1]) / det;
        }
    // The translation row: -t * L^-1.
    for (int j = 0; j < 3; ++j) r.m[3][j] = -(a[3][0] * r.m[0][j] + a[3][1] * r.m[1][j] + a[3][2] * r.m[2][j]);
    r.m[3][3] = 1;
    return r;
}

V3D transform_normal(const MAT4& inverse, const V3D& n) {
    const auto& a = inverse.m;
    return {n.x * a[0][0] + n.y * a[0][1] + n.z * a[0][2], n.x * a[1][0] + n.y * a[1][1] + n.z * a[1][2],
            n.x * a[2][0] + n.y * a[2][1] + n.z * a[2][2]};
}

std::array<MAT4_64, 3> matrix_triple(const MAT4& t, const MAT4* placement) {
    const MAT4 inverse = inverse_affine(t);
    const MAT4 image = placement != nullptr ? inverse_affine(multiply(*placement, t)) : inverse;
    MAT4 bump = t;
    for (double& v : bump.m[3]) v = 0;
    std::array<MAT4_64, 3> triple;
    std::memcpy(&triple[0], &inverse, sizeof(MAT4_64));
    std::memcpy(&triple[1], &bump, sizeof(MAT4_64));
    std::memcpy(&triple[2], &image, sizeof(MAT4_64));
    return triple;
}

}  // namespace zy::zyscene
