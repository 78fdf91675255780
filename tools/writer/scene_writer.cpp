#include "writer/scene_writer.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "writer/file_layout.h"

namespace zy::writer {

namespace {

template <typename Record>
void append_record(Bytes& out, Record rec, void (*convert)(void*)) {
    convert(&rec);
    const auto* b = reinterpret_cast<const uint8_t*>(&rec);
    out.insert(out.end(), b, b + sizeof rec);
}

// A file or block begins with its tag.
Bytes tagged(const char* tag) { return Bytes(tag, tag + kTagSize); }

void append_text(Bytes& out, const std::string& text, TextField layout) {
    Bytes field(layout.stored, 0);
    std::memcpy(field.data(), text.data(), std::min(text.size(), layout.stored));
    out.insert(out.end(), field.begin(), field.end());
}

void append_be32(Bytes& out, int32_t v) {
    const auto u = static_cast<uint32_t>(v);
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(u >> shift));
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

Bytes shade_file_bytes(const ShadeFile& shade) {
    Bytes out = tagged(kShadeTag);
    append_text(out, shade.directory, kShadeDirectory);
    append_text(out, shade.scene, kShadeScene);
    return out;
}

Bytes settings_head_bytes(const RT_INF& inf) {
    Bytes out = tagged(kSettingsTag);
    append_record(out, inf, translate_RT_INF);
    return out;
}

Bytes settings_file_bytes(const SettingsFile& settings) {
    Bytes out = settings_head_bytes(settings.inf);
    for (const auto& name : settings.texture_names) append_text(out, name, kTextureName);
    for (const auto& srf : settings.surfaces) append_record(out, srf, translate_RT_SRF);
    for (int32_t size : settings.object_sizes) append_be32(out, size);
    return out;
}

Bytes frame_head_bytes(const FrameBlock& frame) {
    Bytes out = tagged(kFrameTag);
    append_record(out, frame.cam, translate_RT_CAM);
    for (const auto& light : frame.lights) append_record(out, light, translate_RT_LIGHT);
    for (const auto& triple : frame.matrices)
        for (const auto& m : triple) append_record(out, m, translate_MAT4_64);
    return out;
}

void append_points(Bytes& out, std::span<const V3S> points) {
    for (const auto& p : points) append_record(out, p, translate_V3S);
}

void append_tris(Bytes& out, std::span<const RT_TRI> tris) {
    for (const auto& t : tris) append_record(out, t, translate_RT_TRI);
}

Bytes frame_block_bytes(const FrameBlock& frame) {
    Bytes out = frame_head_bytes(frame);
    append_points(out, frame.points);
    append_tris(out, frame.tris);
    return out;
}

Bytes frame_file_bytes(const std::vector<FrameBlock>& frames) {
    std::vector<Bytes> blocks;
    std::size_t size = 0;
    for (const auto& f : frames) {
        blocks.push_back(frame_block_bytes(f));
        size = std::max(size, blocks.back().size());
    }
    Bytes out;
    for (auto& b : blocks) {
        b.resize(size, 0);
        out.insert(out.end(), b.begin(), b.end());
    }
    return out;
}

Bytes texture_file_bytes(const TextureFile& texture) {
    Bytes out = tagged(kTextureTag);
    append_record(out, texture.header, translate_IIM_HEADER);
    out.insert(out.end(), texture.pixels.begin(), texture.pixels.end());
    return out;
}

Bytes break_file_bytes(int16_t frame, int16_t line) {
    const auto f = static_cast<uint16_t>(frame);
    const auto l = static_cast<uint16_t>(line);
    return {static_cast<uint8_t>(f >> 8), static_cast<uint8_t>(f), static_cast<uint8_t>(l >> 8),
            static_cast<uint8_t>(l)};
}

RT_INF default_settings() {
    RT_INF inf{};
    inf.res_x = 4;
    inf.res_y = 2;
    inf.aa_level = 0;
    inf.max_depth = 0;
    inf.frame_count = 1;
    inf.wave_period = 1;
    return inf;
}

void sync_counts(SettingsFile& settings, const FrameBlock& frame) {
    sync_counts(settings, frame, frame.points.size(), frame.tris.size());
}

void sync_counts(SettingsFile& settings, const FrameBlock& frame, std::size_t points, std::size_t tris) {
    RT_INF& inf = settings.inf;
    inf.n_img = static_cast<int16_t>(settings.texture_names.size());
    inf.n_srf = static_cast<int16_t>(settings.surfaces.size());
    inf.n_obj = static_cast<int16_t>(settings.object_sizes.size());
    inf.n_light = static_cast<int16_t>(frame.lights.size());
    inf.n_light_ref = static_cast<int16_t>(
        std::count_if(frame.lights.begin(), frame.lights.end(), [](const RT_LIGHT& l) { return l.radius > 0; }));
    inf.n_mat = static_cast<int16_t>(frame.matrices.size());
    inf.n_pnt = static_cast<int32_t>(points);
    inf.n_tri = static_cast<int32_t>(tris);
}

void write_file(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string scene_file_name(const Scene& scene, const std::string& extension) {
    std::string name = lower(scene.shade.scene.substr(0, 13));
    const auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name + extension;
}

void write_scene(const std::filesystem::path& folder, const Scene& scene) {
    write_file(folder / "zy_shade.xpa", shade_file_bytes(scene.shade));
    write_file(folder / scene_file_name(scene, ".inf"), settings_file_bytes(scene.settings));
    write_file(folder / scene_file_name(scene, ".sys"), frame_file_bytes(scene.frames));
}

}  // namespace zy::writer
