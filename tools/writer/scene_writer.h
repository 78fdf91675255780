// Writes the binary scene files (shade, settings, frame, texture, break) from
// records held in host byte order: the exact inverse of zyray's loaders. Shared
// by the tests and the scene compiler.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "scene/records.h"

namespace zy::writer {

using Bytes = std::vector<uint8_t>;

/// The start-up file ZY_SHADE.XPA.
struct ShadeFile {
    std::string directory;  ///< scene directory (at most 140 characters kept)
    std::string scene;      ///< scene name (at most 13 characters kept)
};

/// The settings file, records in host order.
struct SettingsFile {
    RT_INF inf{};
    std::vector<std::string> texture_names;
    std::vector<RT_SRF> surfaces;
    std::vector<int32_t> object_sizes;
};

/// One frame block, records in host order.
struct FrameBlock {
    RT_CAM cam{};
    std::vector<RT_LIGHT> lights;
    std::vector<std::array<MAT4_64, 3>> matrices;  ///< pattern, bump, image
    std::vector<V3S> points;
    std::vector<RT_TRI> tris;
};

/// A texture file: 8 uninterpreted bytes, the header, the pixel rows.
struct TextureFile {
    IIM_HEADER header{};
    Bytes pixels;
};

Bytes shade_file_bytes(const ShadeFile& shade);
/// The tag and the settings record: the settings file up to its texture names.
Bytes settings_head_bytes(const RT_INF& inf);
Bytes settings_file_bytes(const SettingsFile& settings);
Bytes frame_block_bytes(const FrameBlock& frame);
/// The block up to its points: tag, camera, lights and matrices.
Bytes frame_head_bytes(const FrameBlock& frame);
/// Appends points or triangles as the block holds them, for a block written in pieces.
void append_points(Bytes& out, std::span<const V3S> points);
void append_tris(Bytes& out, std::span<const RT_TRI> tris);
/// All blocks, each padded with zeros to the size of the largest.
Bytes frame_file_bytes(const std::vector<FrameBlock>& frames);
Bytes texture_file_bytes(const TextureFile& texture);
Bytes break_file_bytes(int16_t frame, int16_t line);

/// Settings with sensible defaults: 4 x 2 picture, level 0, depth 0, one frame,
/// counts taken from nothing (set them with sync_counts).
RT_INF default_settings();
/// Sets the settings' counts from the lists of a settings file and a frame.
void sync_counts(SettingsFile& settings, const FrameBlock& frame);
/// The same for a frame whose points and triangles are counted, not held.
void sync_counts(SettingsFile& settings, const FrameBlock& head, std::size_t points, std::size_t tris);

/// Writes bytes to path; throws std::runtime_error on failure.
void write_file(const std::filesystem::path& path, const Bytes& bytes);

/// A whole scene: written as zy_shade.xpa, <scene>.inf and <scene>.sys in lower case.
struct Scene {
    ShadeFile shade;
    SettingsFile settings;
    std::vector<FrameBlock> frames;
};
void write_scene(const std::filesystem::path& folder, const Scene& scene);
/// Lower-case file name of the scene with the extension (".inf", ".sys", ".brk").
std::string scene_file_name(const Scene& scene, const std::string& extension);

}  // namespace zy::writer
