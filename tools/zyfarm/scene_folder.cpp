#include "zyfarm/scene_folder.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <fstream>

#include "names/file_names.h"
#include "scene/records.h"
#include "writer/file_layout.h"
#include "writer/scene_reader.h"
#include "zyfarm/farm_error.h"

namespace zy::zyfarm {

namespace {

// The whole file; the scene files zyfarm reads whole are small.
writer::Bytes read_small_file(const fs::path& path) {
    try {
        return writer::read_file(path);
    } catch (const std::runtime_error&) {
        throw bad_input(path.string() + ": cannot be read");
    }
}

// What the reader finds wrong, named after the file.
template <typename Read>
auto read_or_refuse(const fs::path& path, Read read) {
    try {
        return read();
    } catch (const writer::ReadError& e) {
        throw bad_input(path.string() + ": " + e.what());
    }
}

// Every block must start with the frame tag: zyray checks only the blocks it
// renders, a farm finds a bad one before any task is queued.
void check_frame_blocks(const fs::path& path, int frame_count, std::uintmax_t block_size) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw bad_input(path.string() + ": cannot be read");
    for (int frame = 0; frame < frame_count; ++frame) {
        char tag[writer::kTagSize] = {};
        in.seekg(static_cast<std::streamoff>(block_size * static_cast<std::uintmax_t>(frame)));
        in.read(tag, sizeof tag);
        if (!in || std::memcmp(tag, writer::kFrameTag, sizeof tag) != 0)
            throw bad_input(path.string() + ": frame block " + std::to_string(frame) + " (at byte " +
                            std::to_string(block_size * static_cast<std::uintmax_t>(frame)) +
                            ") does not start with " + writer::kFrameTag);
    }
}

}  // namespace

SceneFolder read_scene_folder(const fs::path& folder) {
    SceneFolder scene;
    scene.folder = folder;
    const fs::path shade_path = folder / kShadeFile;
    const writer::Bytes shade_bytes = read_small_file(shade_path);
    const writer::ShadeFile shade = read_or_refuse(shade_path, [&] { return writer::read_shade_file(shade_bytes); });

    scene.settings_file = folder_file(shade.directory + shade.scene, ".INF");
    const fs::path settings_path = folder / scene.settings_file;
    const writer::Bytes settings = read_small_file(settings_path);
    const RT_INF inf = read_or_refuse(settings_path, [&] { return writer::read_settings_head(settings); });
    if (inf.frame_count < 1)
        throw bad_input(settings_path.string() + ": frame_count is " + std::to_string(inf.frame_count) +
                        ", there is no frame to render");
    if (inf.n_img < 0 || inf.n_img > kMaxImages)
        throw bad_input(settings_path.string() + ": " + std::to_string(inf.n_img) + " texture names, at most " +
                        std::to_string(kMaxImages) + " allowed");
    if (inf.res_x < 1 || inf.res_y < 1)
        throw bad_input(settings_path.string() + ": the picture size " + std::to_string(inf.res_x) + " x " +
                        std::to_string(inf.res_y) + " has no pixel");
    scene.frame_count = inf.frame_count;
    scene.width = inf.res_x;
    scene.height = inf.res_y;

    const auto names = read_or_refuse(settings_path, [&] { return writer::read_texture_names(settings, inf.n_img); });
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string file = folder_file(names[i]);
        std::error_code ec;
        if (!fs::is_regular_file(folder / file, ec))
            throw bad_input((folder / file).string() + ": texture " + std::to_string(i) + " named by " +
                            scene.settings_file + " is missing");
        if (std::find(scene.texture_files.begin(), scene.texture_files.end(), file) == scene.texture_files.end())
            scene.texture_files.push_back(file);
    }

    const std::string path = writer::record_directory(inf) + shade.scene;
    scene.frame_file = folder_file(path, ".SYS");
    scene.break_file = folder_file(path, ".BRK");
    scene.scene_picture = folder_file(path, ".TIF");
    const fs::path frame_path = folder / scene.frame_file;
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(frame_path, ec);
    if (ec) throw bad_input(frame_path.string() + ": cannot be read");
    // zyray sizes the frame file with a 32-bit number.
    if (size > INT32_MAX) throw bad_input(frame_path.string() + ": larger than the 2 GiB zyray reads");
    if (size == 0 || size % static_cast<std::uintmax_t>(inf.frame_count) != 0)
        throw bad_input(frame_path.string() + ": " + std::to_string(size) + " bytes do not divide into " +
                        std::to_string(inf.frame_count) + " equal frame blocks (frame_count in " +
                        scene.settings_file + ")");
    scene.block_size = size / static_cast<std::uintmax_t>(inf.frame_count);
    check_frame_blocks(frame_path, inf.frame_count, scene.block_size);
    return scene;
}

}  // namespace zy::zyfarm
