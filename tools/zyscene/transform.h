// Object transforms as row-vector matrices (translation in row 3), and the
// matrix triple the renderer's patterns, bumps and images work with.
#pragma once

#include <array>

#include "geometry/xmath.h"
#include "scene/records.h"

namespace zy::zyscene {

/// Object placement: p' = p * S * Rx * Ry * Rz + t (row vectors).
struct Transform {
    V3D scale{1, 1, 1};
    V3D rotate{0, 0, 0};  ///< degrees about x, then y, then z
    V3D translate{0, 0, 0};
};

/// T = S * Rx * Ry * Rz with t in row 3: object space to scene space.
MAT4 object_matrix(const Transform& t);

/// a * b for row vectors: first a, then b.
MAT4 multiply(const MAT4& a, const MAT4& b);

/// The identity matrix.
MAT4 identity();

/// Inverse of an affine matrix whose linear part is regular.
MAT4 inverse_affine(const MAT4& m);

/// Determinant of the linear part (rows and columns 0..2).
double linear_determinant(const MAT4& m);

/// n * (L^-1)^T for the linear part L of the matrix whose inverse is given:
/// how a normal follows the transform. Not normalised.
V3D transform_normal(const MAT4& inverse, const V3D& n);

/// The triple of an object with texture-space transform T and image
/// placement P (image space to object space; null: none): pattern = T^-1
/// (scene point to object space); bump = the linear part of T with a zero
/// row 3 (object vectors back to scene space); image = (P * T)^-1 (scene
/// point to image space), or T^-1 without a placement.
std::array<MAT4_64, 3> matrix_triple(const MAT4& t, const MAT4* placement);

}  // namespace zy::zyscene
