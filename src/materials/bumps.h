// The bump kinds behind rt_perturb_nrm, indexed by a surface's bump_type.
#pragma once

#include <array>
#include <cstdint>

#include "geometry/xmath.h"

namespace zy {

/// What a bump reads besides its point: the floor reliefs' offset
/// (pattern_offset) and the frame's place in the wave period.
struct BumpContext {
    double offset;
    int16_t frame_current, wave_period;
};

/// A bump: the perturbation d at point p of bump space; nrm is the current normal.
using BumpRoutine = void (*)(const BumpContext& at, const V3D& p, const V3D& nrm, V3D& d);

inline constexpr int kBumpCount = 8;

/// Bumps by bump_type; entry 0 (no bump) is empty.
extern const std::array<BumpRoutine, kBumpCount + 1> bump_table;

// Bump routines, reached through bump_table (numbers in comments).
void _bump_bumps(const BumpContext&, const V3D&, const V3D&, V3D&);          // 1
void _bump_dents(const BumpContext&, const V3D&, const V3D&, V3D&);          // 2
void _bump_wrinkles(const BumpContext&, const V3D&, const V3D&, V3D&);       // 3
void _bump_corrosion(const BumpContext&, const V3D&, const V3D&, V3D&);      // 4
void _bump_wave_static(const BumpContext&, const V3D&, const V3D&, V3D&);    // 5
void _bump_wave_anim(const BumpContext&, const V3D&, const V3D&, V3D&);      // 6
void _bump_floor_pyramids(const BumpContext&, const V3D&, const V3D&, V3D&); // 7
void _bump_floor_tiles(const BumpContext&, const V3D&, const V3D&, V3D&);    // 8

}  // namespace zy
