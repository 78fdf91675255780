// Primary rays, the 2 x 2 block scheme with adaptive antialiasing and the
// conversion of gamma-corrected colours into picture bytes.
#pragma once

#include <cstdint>

#include "render/output_curve.h"
#include "scene/scene.h"
#include "scene/trace_state.h"

namespace zy {

/// The two picture rows of one band, 3 bytes per pixel (red, green, blue);
/// row 1 starts width * 3 bytes after row 0.
struct BandRows {
    uint8_t* bytes;
    int32_t width;  ///< pixels per row; pixels at or beyond it are dropped
};

/// Gamma-corrected colour seen through pixel position (x, y).
void rt_sample(TraceState& ts, const Scene& scene, int32_t x, int32_t y, RT_COL& colour);
/// Samples at (x + 0.5, y), (x, y + 0.5) and (x + 0.5, y + 0.5), in that order.
void rt_sample3(TraceState& ts, const Scene& scene, int32_t x, int32_t y, RT_COL s[3]);
/// 1 when some pair of the four colours is farther apart than tol (sum of the
/// channel differences); always 1 for tol <= 0 and 0 for tol >= 1.
int16_t rt_col_cmp(const RT_COL& a, const RT_COL& b, const RT_COL& c, const RT_COL& d, const double& tol);
/// Completes the block at (x, y) from the corners in ts.col_matrix and stores
/// its four pixels in rows.
void rt_area(TraceState& ts, const Scene& scene, int32_t x, int32_t y, const BandRows& rows);
/// Supersamples the pixels of the traced block at (x, y) whose neighbourhood differs.
void rt_antialias(TraceState& ts, const Scene& scene, int32_t x, int32_t y);

}  // namespace zy
