// The render settings, sky, clouds, fog, ambient light and floor of the
// description, turned into the settings record.
#pragma once

#include "scene/records.h"
#include "zyscene/json_fields.h"
#include "zyscene/surfaces.h"

namespace zy::zyscene {

/// Reads the members "render", "sky", "clouds", "fog", "ambient" and "floor" of
/// the description into a settings record; the counts are left 0.
RT_INF read_settings(Members& description, const SurfaceTable& surfaces);

}  // namespace zy::zyscene
