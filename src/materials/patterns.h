// The procedural patterns behind rt_ptrn_material: the dispatch tables indexed
// by a surface's ptrn_type and ptrn_arg, and the shared pattern functions.
#pragma once

#include <array>

#include "geometry/xmath.h"
#include "materials/materials.h"

namespace zy {

/// A pattern: fills out from the point p of pattern space (scaled and turned).
/// offset, which the grid and wood patterns add before truncating, keeps
/// their coordinates positive; rt_ptrn_material derives it from the scale.
using PatternRoutine = void (*)(double offset, const V3D& p, const SURFACE& srf, MATERIAL& out);
/// An orientation: permutes or turns the axes of p in place.
using DirRoutine = void (*)(V3D& p);

inline constexpr int kPatternCount = 32;
inline constexpr int kDirCount = 3;

/// Patterns by ptrn_type; entry 0 (no pattern) is empty.
extern const std::array<PatternRoutine, kPatternCount + 1> ptrn_table;
/// Orientations by ptrn_arg; entry 0 (unchanged) is empty.
extern const std::array<DirRoutine, kDirCount + 1> ptrn_dir_table;

/// One marble variant: a, sx, sy, sz, b, c, thr.
struct MarbleRow {
    double a;          ///< weight of the plain x term
    double sx, sy, sz; ///< scales of the point before the turbulence
    double b, c;       ///< weights of the two turbulences
    double thr;        ///< values below it give 0; above it are stretched to 0..1
};
extern const std::array<MarbleRow, 4> marble_table;

/// Finishes a pattern: the surface's two materials blended by t (clamped).
inline void ptrn_blend(const SURFACE& srf, double t, MATERIAL& out) { rt_material(srf, t, out); }

/// Marble value 0..1 of p with the given marble_table row.
double rt_ptrn_marble(const V3D& p, short row);
/// Wood rings about the x axis, value 0..1; offset is the pattern offset.
double rt_ptrn_wood_massive(double offset, const V3D& p);
/// Planks of 10 x 10 along x, each with its own rings.
double rt_ptrn_wood_ledges(double offset, const V3D& p);

// Pattern routines, reached through ptrn_table (numbers in comments).
void _ptrn_marble1(double, const V3D&, const SURFACE&, MATERIAL&);        // 1
void _ptrn_marble2(double, const V3D&, const SURFACE&, MATERIAL&);        // 2
void _ptrn_marble3(double, const V3D&, const SURFACE&, MATERIAL&);        // 3
void _ptrn_marble4(double, const V3D&, const SURFACE&, MATERIAL&);        // 4
void _ptrn_granite(double, const V3D&, const SURFACE&, MATERIAL&);        // 5
void _ptrn_stone(double, const V3D&, const SURFACE&, MATERIAL&);          // 6
void _ptrn_wood_massive(double, const V3D&, const SURFACE&, MATERIAL&);   // 7
void _ptrn_wood_ledges(double, const V3D&, const SURFACE&, MATERIAL&);    // 8
void _ptrn_random1(double, const V3D&, const SURFACE&, MATERIAL&);        // 9
void _ptrn_random2(double, const V3D&, const SURFACE&, MATERIAL&);        // 10
void _ptrn_random3(double, const V3D&, const SURFACE&, MATERIAL&);        // 11
void _ptrn_random4(double, const V3D&, const SURFACE&, MATERIAL&);        // 12
void _ptrn_strips1(double, const V3D&, const SURFACE&, MATERIAL&);        // 13
void _ptrn_strips2(double, const V3D&, const SURFACE&, MATERIAL&);        // 14
void _ptrn_strips3(double, const V3D&, const SURFACE&, MATERIAL&);        // 15
void _ptrn_strips4(double, const V3D&, const SURFACE&, MATERIAL&);        // 16
void _ptrn_spotted1(double, const V3D&, const SURFACE&, MATERIAL&);       // 17
void _ptrn_spotted2(double, const V3D&, const SURFACE&, MATERIAL&);       // 18
void _ptrn_dotted1(double, const V3D&, const SURFACE&, MATERIAL&);        // 19
void _ptrn_dotted2(double, const V3D&, const SURFACE&, MATERIAL&);        // 20
void _ptrn_soap(double, const V3D&, const SURFACE&, MATERIAL&);           // 21
void _ptrn_turbulent(double, const V3D&, const SURFACE&, MATERIAL&);      // 22
void _ptrn_spherical(double, const V3D&, const SURFACE&, MATERIAL&);      // 23
void _ptrn_multi_color(double, const V3D&, const SURFACE&, MATERIAL&);    // 24
void _ptrn_tiles_regular(double, const V3D&, const SURFACE&, MATERIAL&);  // 25
void _ptrn_tiles_shift(double, const V3D&, const SURFACE&, MATERIAL&);    // 26
void _ptrn_tiles_narrow(double, const V3D&, const SURFACE&, MATERIAL&);   // 27
void _ptrn_checkered(double, const V3D&, const SURFACE&, MATERIAL&);      // 28
void _ptrn_checkered_query(double, const V3D&, const SURFACE&, MATERIAL&); // 29
void _ptrn_free1(double, const V3D&, const SURFACE&, MATERIAL&);          // 30
void _ptrn_free2(double, const V3D&, const SURFACE&, MATERIAL&);          // 31
void _ptrn_free3(double, const V3D&, const SURFACE&, MATERIAL&);          // 32

void _ptrn_dir_y(V3D& p);      // 1: (y, x, z)
void _ptrn_dir_z(V3D& p);      // 2: (z, x, y)
void _ptrn_dir_across(V3D& p); // 3: a fixed turn across all three axes

}  // namespace zy
