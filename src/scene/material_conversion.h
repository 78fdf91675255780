// Material blocks of the files turned into run-time materials, and the checks
// that keep a surface's selections inside the tables they index.
#pragma once

#include <cstdint>

#include "scene/records.h"
#include "scene/rt_var.h"

namespace zy {

/// The fields of a file surface that select tables and divide.
struct SurfaceChoice {
    const RT_MAT_BLOCK* mat; ///< the two material blocks
    uint8_t ptrn_type, ptrn_arg, bump_type;
    float ptrn_scale, bump_depth, bump_scale, img_arg;
    uint8_t img_mode, img_index, srf_flags;
};

/// False when a selection lies outside its table, a scale would divide by zero or
/// a value is not finite.
bool surface_choice_valid(const SurfaceChoice& s, int16_t wave_period, int16_t n_img);

/// Run-time material of a file block; colours are divided by colour_divisor.
MATERIAL material_from_block(const RT_MAT_BLOCK& block, double colour_divisor);

}  // namespace zy
