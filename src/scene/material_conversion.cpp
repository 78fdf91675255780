#include "scene/material_conversion.h"

#include <cmath>

namespace zy {

bool surface_choice_valid(const SurfaceChoice& s, int16_t wave_period, int16_t n_img) {
    for (int k = 0; k < 2; ++k)
        if (s.mat[k].refraction > 4) return false;
    if (s.ptrn_type > 32 || s.ptrn_arg > 3 || s.bump_type > 8) return false;
    if (!std::isfinite(s.img_arg) || !std::isfinite(s.ptrn_scale) || !std::isfinite(s.bump_depth) ||
        !std::isfinite(s.bump_scale))
        return false;
    if (s.ptrn_type != 0 && s.ptrn_scale == 0.0f) return false;
    if (s.bump_type != 0 && s.bump_scale == 0.0f) return false;
    if (s.bump_type == 6 && wave_period == 0) return false;
    if (s.srf_flags & kSrfImage) {
        if (s.img_index >= n_img) return false;
        if (s.img_mode != 0 && s.img_arg == 0.0f) return false;
    }
    return true;
}

MATERIAL material_from_block(const RT_MAT_BLOCK& block, double colour_divisor) {
    MATERIAL m;
    m.color = {block.color[0] / colour_divisor, block.color[1] / colour_divisor, block.color[2] / colour_divisor};
    m.luminous = block.luminous / 100.0;
    m.ambient = block.ambient / 100.0;
    m.diffuse = block.diffuse / 100.0;
    m.specular = block.specular / 100.0;
    m.spec_exp = block.spec_exp * 2.0;
    m.reflect = block.reflect / 100.0;
    m.transp = block.transp / 100.0;
    m.refraction = _refr_table[block.refraction];
    return m;
}

}  // namespace zy
