// The render settings, sky, clouds, fog, ambient light and floor of the
// description, turned into the settings record.
#pragma once

#include "scene/records.h"
#include "zyscene/colour_meaning.h"
#include "zyscene/json_fields.h"
#include "zyscene/surfaces.h"

namespace zy::zyscene {

/// Reads the members "render", "sky", "clouds", "fog", "ambient" and "floor" of
/// the description into a settings record; the counts are left 0. The
/// ambient colour is a light's, whatever the meaning of the others.
RT_INF read_settings(Members& description, const SurfaceTable& surfaces, ColourMeaning meaning);

}  // namespace zy::zyscene
