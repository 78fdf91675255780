// The input of the frame and whole-run fuzz targets: the scene files of one
// working folder in one byte string, and the names under which zyray will look
// for them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "scene/records.h"

namespace zy::fuzz {

using Bytes = std::vector<uint8_t>;

/// Positions of the files in a packed input; textures follow in name order.
enum FileSlot : std::size_t { kShade = 0, kSettings = 1, kFrame = 2, kBreak = 3, kFirstTexture = 4 };

/// Each file as a big-endian 32-bit length and its bytes; a length with the top
/// bit set stands for a file that does not exist.
Bytes pack(const std::vector<std::optional<Bytes>>& files);

/// The inverse of pack, for any byte string: a length beyond the end takes
/// what is left, a cut length ends the list.
std::vector<std::optional<std::span<const uint8_t>>> unpack(std::span<const uint8_t> input);

/// The settings record of a settings file in host order, when it is long enough.
std::optional<RT_INF> settings_record(std::span<const uint8_t> settings);

/// File names the program will open for each of slots slots (at least up to
/// the first texture), given the shade and settings files; empty where it
/// opens nothing in the working folder.
std::vector<std::string> scene_file_names(std::span<const uint8_t> shade, std::span<const uint8_t> settings,
                                          std::size_t slots);

}  // namespace zy::fuzz
