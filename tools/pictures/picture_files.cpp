#include "pictures/picture_files.h"

#include <stb/stb_image_write.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace zy::pictures {

namespace fs = std::filesystem;

namespace {

uint32_t be(const std::vector<uint8_t>& d, std::size_t at, int bytes) {
    if (at + static_cast<std::size_t>(bytes) > d.size()) throw std::out_of_range("past the end");
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v = v << 8 | d[at + static_cast<std::size_t>(i)];
    return v;
}

void renamed_into_place(const fs::path& part, const fs::path& path) {
    std::error_code ec;
    fs::rename(part, path, ec);
    if (ec) {
        fs::remove(part, ec);
        throw std::runtime_error(path.string() + ": cannot be written");
    }
}

}  // namespace

std::string lower_extension(const fs::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext;
}

bool is_tiff_name(const fs::path& path) { return lower_extension(path) == ".tif" || lower_extension(path) == ".tiff"; }

RgbPicture read_renderer_picture(const fs::path& tiff) {
    std::ifstream in(tiff, std::ios::binary);
    const std::vector<uint8_t> d((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    try {
        if (be(d, 0, 2) != 0x4D4D) throw std::out_of_range("not big-endian");
        const uint32_t ifd = be(d, 4, 4);
        uint32_t width = 0, height = 0, start = 0;
        for (uint32_t i = 0, n = be(d, ifd, 2); i < n; ++i) {
            const std::size_t entry = ifd + 2 + 12 * std::size_t{i};
            const uint32_t tag = be(d, entry, 2);
            const uint32_t value = be(d, entry + 2, 2) == 3 ? be(d, entry + 8, 2) : be(d, entry + 8, 4);
            if (tag == 256) width = value;
            if (tag == 257) height = value;
            if (tag == 273) start = value;
        }
        const std::size_t size = std::size_t{width} * height * 3;
        if (width == 0 || height == 0 || start + size > d.size()) throw std::out_of_range("short");
        return {static_cast<int>(width), static_cast<int>(height),
                std::vector<uint8_t>(d.begin() + start, d.begin() + static_cast<std::ptrdiff_t>(start + size))};
    } catch (const std::out_of_range&) {
        throw std::runtime_error(tiff.string() + ": not a complete picture of the renderer");
    }
}

void write_output_picture(const fs::path& tiff, const RgbPicture& picture, const fs::path& path) {
    const fs::path part = path.string() + ".part";
    std::error_code ec;
    if (path.has_parent_path()) fs::create_directories(path.parent_path(), ec);
    if (is_tiff_name(path)) {
        fs::copy_file(tiff, part, fs::copy_options::overwrite_existing, ec);
        if (ec) throw std::runtime_error(path.string() + ": cannot be written: " + ec.message());
    } else if (!stbi_write_png(part.c_str(), picture.width, picture.height, 3, picture.rgb.data(),
                               picture.width * 3)) {
        fs::remove(part, ec);
        throw std::runtime_error(path.string() + ": cannot be written");
    }
    renamed_into_place(part, path);
}

}  // namespace zy::pictures
