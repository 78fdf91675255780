#include "zyscene/texture_import.h"

#include <stb/stb_image.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>

#include "zyscene/input_error.h"

namespace zy::zyscene {

namespace {

namespace fs = std::filesystem;

using Pixels = std::unique_ptr<stbi_uc, decltype(&stbi_image_free)>;

// Texture file types by their pixel layout.
enum TextureType : int16_t { kMask1 = 0, kGrey8 = 1, kRgb8 = 4, kMaskRgb8 = 5 };

// The header counts pixels in 16 signed bits.
constexpr int kMostPixels = std::numeric_limits<int16_t>::max();

TextureType type_for(ImageUse use, int channels) {
    switch (use) {
        case ImageUse::Grey: return kGrey8;
        case ImageUse::Color: return kRgb8;
        case ImageUse::Mask: return kMask1;
        case ImageUse::Auto: break;
    }
    if (channels == 1) return kGrey8;
    return channels == 3 ? kRgb8 : kMaskRgb8;  // 2 and 4 carry alpha
}

int64_t pixel_bytes(TextureType type, int64_t width, int64_t height) {
    switch (type) {
        case kMask1: return (width + 7) / 8 * height;
        case kGrey8: return width * height;
        case kRgb8: return 3 * width * height;
        case kMaskRgb8: return 4 * width * height;
    }
    return 0;
}

// The renderer reads pixel bytes through a gamma of 1.8; alpha is blended in
// that light, not in the bytes.
double linear(int byte) { return std::pow(byte / 255.0, 1.8); }

int encoded(double light) { return static_cast<int>(std::lround(255.0 * std::pow(light, 1.0 / 1.8))); }

// One pixel of the decoded image as red, green, blue and alpha.
struct Rgba {
    int r, g, b, a;
};

Rgba pixel_at(const stbi_uc* p, int channels) {
    switch (channels) {
        case 1: return {p[0], p[0], p[0], 255};
        case 2: return {p[0], p[0], p[0], p[1]};
        case 3: return {p[0], p[1], p[2], 255};
        default: return {p[0], p[1], p[2], p[3]};
    }
}

// The colour laid over white by its alpha.
Rgba over_white(Rgba c) {
    if (c.a == 255) return c;
    if (c.a == 0) return {255, 255, 255, 0};
    const double a = c.a / 255.0;
    const auto mix = [a](int byte) { return encoded(a * linear(byte) + (1 - a)); };
    return {mix(c.r), mix(c.g), mix(c.b), c.a};
}

int grey_of(const Rgba& c) { return static_cast<int>(std::lround(0.2126 * c.r + 0.7152 * c.g + 0.0722 * c.b)); }

writer::Bytes convert(const stbi_uc* data, int width, int height, int channels, TextureType type) {
    writer::Bytes out(static_cast<std::size_t>(pixel_bytes(type, width, height)), 0);
    const auto w = static_cast<std::size_t>(width);
    const std::size_t mask_row = (w + 7) / 8;
    for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y)
        for (std::size_t x = 0; x < w; ++x) {
            const std::size_t i = y * w + x;
            const Rgba c = over_white(pixel_at(data + i * static_cast<std::size_t>(channels), channels));
            uint8_t* p = out.data();
            switch (type) {
                case kMask1:
                    if (grey_of(c) >= 128) p[y * mask_row + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
                    break;
                case kGrey8: p[i] = static_cast<uint8_t>(grey_of(c)); break;
                case kRgb8: {
                    const uint8_t rgb[] = {static_cast<uint8_t>(c.r), static_cast<uint8_t>(c.g),
                                           static_cast<uint8_t>(c.b)};
                    std::copy(rgb, rgb + 3, p + 3 * i);
                    break;
                }
                case kMaskRgb8: {
                    const uint8_t argb[] = {static_cast<uint8_t>(c.a), static_cast<uint8_t>(c.r),
                                            static_cast<uint8_t>(c.g), static_cast<uint8_t>(c.b)};
                    std::copy(argb, argb + 4, p + 4 * i);
                    break;
                }
            }
        }
    return out;
}

}  // namespace

writer::TextureFile import_texture(const fs::path& file, const ImageSource& source) {
    const std::string name = "image file \"" + source.file + "\"";
    std::error_code ec;
    if (!fs::is_regular_file(file, ec))
        throw InputError(source.pointer,
                         name + " not found (looked for " + fs::absolute(file, ec).lexically_normal().string() + ")");
    const std::string path = file.string();
    int width = 0, height = 0, channels = 0;
    if (stbi_info(path.c_str(), &width, &height, &channels) == 0)
        throw InputError(source.pointer, "cannot read " + name + ": " + stbi_failure_reason());
    if (width > kMostPixels || height > kMostPixels)
        throw InputError(source.pointer, name + " is " + std::to_string(width) + " x " + std::to_string(height) +
                                             " pixels; texture files hold at most 32767 in each direction");
    const TextureType type = type_for(source.use, channels);
    // The renderer sizes and reads its files with signed 32-bit numbers.
    if (16 + pixel_bytes(type, width, height) > std::numeric_limits<int32_t>::max())
        throw InputError(source.pointer, name + " would make a texture file of 2 GiB or more");

    Pixels data(stbi_load(path.c_str(), &width, &height, &channels, 0), stbi_image_free);
    if (!data) throw InputError(source.pointer, "cannot read " + name + ": " + stbi_failure_reason());
    writer::TextureFile texture;
    texture.header.type = type;
    texture.header.width = static_cast<int16_t>(width);
    texture.header.height = static_cast<int16_t>(height);
    texture.pixels = convert(data.get(), width, height, channels, type);
    return texture;
}

}  // namespace zy::zyscene
