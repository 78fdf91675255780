// What the colours of a description mean: by default the bytes the picture
// shows where nothing changes them, turned back through the renderer's output
// curve; with "colors": "file" the bytes the files store.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "scene/records.h"
#include "zyscene/json_fields.h"

namespace zy::zyscene {

enum class ColourMeaning { Seen, Stored };

/// The top-level member "colors": absent, or "file" for stored bytes.
ColourMeaning read_colour_meaning(Members& description);

/// The stored byte whose shown byte is nearest seen; of two that show the
/// same byte, the one whose unrounded output lies nearer.
uint8_t stored_for_seen(uint8_t seen);

/// The member key as a colour in the files' bytes; fallback, already in
/// those bytes, when it is absent.
std::array<uint8_t, 3> stored_colour_or(Members& m, const std::string& key, const std::array<uint8_t, 3>& fallback,
                                        ColourMeaning meaning);

/// Both material colours of a surface, taken as seen, as the files store them.
RT_SRF with_stored_colours(RT_SRF surface);

}  // namespace zy::zyscene
