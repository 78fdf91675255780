#include "harness/scene_files.h"

#include <algorithm>

#include "harness/session.h"
#include "names/file_names.h"
#include "writer/scene_reader.h"

namespace zy::fuzz {

namespace {

constexpr uint32_t kAbsent = 0x80000000u;

}  // namespace

Bytes pack(const std::vector<std::optional<Bytes>>& files) {
    Bytes out;
    for (const auto& f : files) {
        const uint32_t length = f ? static_cast<uint32_t>(f->size()) : kAbsent;
        for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(length >> shift));
        if (f) out.insert(out.end(), f->begin(), f->end());
    }
    return out;
}

std::vector<std::optional<std::span<const uint8_t>>> unpack(std::span<const uint8_t> input) {
    std::vector<std::optional<std::span<const uint8_t>>> files;
    while (input.size() >= 4) {
        const uint32_t length = uint32_t{input[0]} << 24 | uint32_t{input[1]} << 16 | uint32_t{input[2]} << 8 | input[3];
        input = input.subspan(4);
        if (length & kAbsent) {
            files.emplace_back(std::nullopt);
            continue;
        }
        const std::size_t n = std::min<std::size_t>(length, input.size());
        files.emplace_back(input.first(n));
        input = input.subspan(n);
    }
    return files;
}

std::optional<RT_INF> settings_record(std::span<const uint8_t> settings) {
    try {
        return writer::read_settings_head(settings);
    } catch (const writer::ReadError&) {
        return std::nullopt;
    }
}

std::vector<std::string> scene_file_names(std::span<const uint8_t> shade, std::span<const uint8_t> settings,
                                          std::size_t slots) {
    std::vector<std::string> names(std::max<std::size_t>(slots, kFirstTexture));
    names[kShade] = "zy_shade.xpa";
    writer::ShadeFile scene;
    try {
        scene = writer::read_shade_file(shade);
    } catch (const writer::ReadError&) {
        return names;
    }
    names[kSettings] = folder_file(scene.directory + scene.scene, ".INF");
    const std::optional<RT_INF> inf = settings_record(settings);
    if (!inf) return names;
    names[kFrame] = folder_file(writer::record_directory(*inf) + scene.scene, ".SYS");
    names[kBreak] = folder_file(writer::record_directory(*inf) + scene.scene, ".BRK");
    // A settings file too short for its names stops the program before it
    // opens a texture.
    const auto count = std::min<int64_t>(inf->n_img, static_cast<int64_t>(names.size() - kFirstTexture));
    try {
        const std::vector<std::string> textures = writer::read_texture_names(settings, static_cast<int>(count));
        for (std::size_t i = 0; i < textures.size(); ++i) names[kFirstTexture + i] = working_name(textures[i]);
    } catch (const writer::ReadError&) {
    }
    return names;
}

}  // namespace zy::fuzz
