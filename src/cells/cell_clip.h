// Clipping a triangle against a cell's box grown by the cell's tolerance; shared
// by rt_tri_clip and the tree builder, which skips the axes it has settled.
#pragma once

#include "cells/cells.h"

namespace zy {

/// Axis a is bit a of the axes of clip_on_axes.
inline constexpr unsigned kClipAllAxes = 7;

/// Clips the triangle by the faces of the box lo..hi grown by tau on the given
/// axes, upper face before lower, x before y before z; 1 when something is left.
/// Leaving out an axis on which every point of the polygon stays strictly
/// inside both faces gives the same answer as clipping on it.
int16_t clip_on_axes(const TRIANGLE& tri, const double* lo, const double* hi, double tau, unsigned axes);

}  // namespace zy
