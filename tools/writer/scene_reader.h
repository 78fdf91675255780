// Reads the binary scene files back into the records the writer writes: the
// writer's inverse, for the tools and the tests. zyray has loaders of its own,
// with its own error numbers; this reader reports what is wrong in words.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "writer/scene_writer.h"

namespace zy::writer {

/// Bytes that are not the file they should be. what() says how, in words that
/// follow a file name and a colon: "ends after 20 bytes, 163 needed",
/// "does not start with \"RT_PATH \"".
class ReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The directory and scene name, as many characters as zyray keeps of them.
ShadeFile read_shade_file(std::span<const uint8_t> bytes);

/// The settings record in host order, once the tag is checked.
RT_INF read_settings_head(std::span<const uint8_t> settings);
/// The directory the settings record names, as many characters as zyray keeps.
std::string record_directory(const RT_INF& inf);
/// The first count texture names of a settings file, whose record is not read.
std::vector<std::string> read_texture_names(std::span<const uint8_t> settings, int count);
/// Everything the settings file holds, its counts taken from its record.
SettingsFile read_settings_file(std::span<const uint8_t> settings);

/// One frame block, its counts taken from the settings; bytes after the last
/// triangle (the padding of smaller blocks) are not read.
FrameBlock read_frame_block(std::span<const uint8_t> block, const RT_INF& counts);

/// Where a render stands, as a break file records it.
struct BreakPoint {
    int16_t frame = 0;
    int16_t line = 0;
};
/// None when the file holds fewer than its 4 bytes.
std::optional<BreakPoint> read_break_file(std::span<const uint8_t> bytes);

/// Every byte of a file; throws std::runtime_error ("<path>: cannot be read")
/// when it cannot be read.
Bytes read_file(const std::filesystem::path& path);

}  // namespace zy::writer
