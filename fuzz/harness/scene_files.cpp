#include "harness/scene_files.h"

#include <algorithm>
#include <cstring>

#include "driver/program_state.h"
#include "harness/session.h"

namespace zy::fuzz {

namespace {

constexpr uint32_t kAbsent = 0x80000000u;
constexpr std::size_t kShadeSize = 8 + 141 + 14;
constexpr std::size_t kSettingsHead = 8 + sizeof(RT_INF);
constexpr std::size_t kTextureNameSize = 80;

// A string field of stored bytes the way the loaders copy it: up to its zero,
// at most kept characters.
std::string field(std::span<const uint8_t> bytes, std::size_t offset, std::size_t stored, std::size_t kept) {
    if (bytes.size() < offset + stored) return "";
    const char* text = reinterpret_cast<const char*>(bytes.data() + offset);
    return std::string(text, strnlen(text, kept));
}

std::string with_extension(const std::string& name, const char* ext) {
    char text[500];
    std::snprintf(text, sizeof text - 5, "%s", name.c_str());
    extension(text, ext);
    return working_name(text);
}

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
    if (settings.size() < kSettingsHead) return std::nullopt;
    RT_INF inf;
    std::memcpy(&inf, settings.data() + 8, sizeof inf);
    translate_RT_INF(&inf);
    return inf;
}

std::vector<std::string> scene_file_names(std::span<const uint8_t> shade, std::span<const uint8_t> settings,
                                          std::size_t slots) {
    std::vector<std::string> names(std::max<std::size_t>(slots, kFirstTexture));
    names[kShade] = "zy_shade.xpa";
    if (shade.size() < kShadeSize) return names;
    const std::string scene = field(shade, 149, 14, 13);
    names[kSettings] = with_extension(field(shade, 8, 141, 140) + scene, ".INF");
    const std::optional<RT_INF> inf = settings_record(settings);
    if (!inf) return names;
    const std::string path = field(settings, 8, sizeof inf->path, sizeof inf->path - 1);
    names[kFrame] = with_extension(path + scene, ".SYS");
    names[kBreak] = with_extension(path + scene, ".BRK");
    for (std::size_t i = kFirstTexture; i < slots; ++i) {
        const std::size_t index = i - kFirstTexture;
        if (static_cast<int64_t>(index) >= inf->n_img) break;
        const std::size_t offset = kSettingsHead + index * kTextureNameSize;
        names[i] = working_name(field(settings, offset, kTextureNameSize, kTextureNameSize));
    }
    return names;
}

}  // namespace zy::fuzz
