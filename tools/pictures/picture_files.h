// The renderer's pictures read back, and written as the user asked.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zy::pictures {

struct RgbPicture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  ///< rows top to bottom, 3 bytes per pixel
};

/// Reads a picture the renderer wrote (big-endian, uncompressed RGB, one
/// strip). Throws std::runtime_error naming the file.
RgbPicture read_renderer_picture(const std::filesystem::path& tiff);

/// Writes picture to path as PNG, or copies the renderer's TIFF when path ends
/// in .tif / .tiff; beside the name first, then renamed, so that the picture
/// appears whole. Throws std::runtime_error naming the file.
void write_output_picture(const std::filesystem::path& tiff, const RgbPicture& picture,
                          const std::filesystem::path& path);

/// The name's extension in lower case (".png").
std::string lower_extension(const std::filesystem::path& path);
/// True for a .tif or .tiff name, in any case.
bool is_tiff_name(const std::filesystem::path& path);

}  // namespace zy::pictures
