// Image files (PNG, JPEG, TGA, BMP, GIF, PSD, HDR, PNM: whatever stb_image
// reads) turned into the renderer's texture files.
#pragma once

#include <filesystem>

#include "writer/scene_writer.h"
#include "zyscene/surface_images.h"

namespace zy::zyscene {

/// Reads the image file and converts it for its use: grey images as grey
/// levels, colour as colour, colour with alpha as mask and colour (the mask is
/// the alpha), or a one-bit mask when asked. Where the image has alpha, its
/// colour is laid over white first, so transparent parts read as white.
/// Throws InputError at source.pointer when the file is missing, unreadable
/// or too large for a texture file.
writer::TextureFile import_texture(const std::filesystem::path& file, const ImageSource& source);

}  // namespace zy::zyscene
