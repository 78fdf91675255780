#include "zyfarm/scene_folder.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "driver/emulator.h"
#include "driver/program_state.h"
#include "driver/xfile.h"
#include "scene/records.h"
#include "zyfarm/farm_error.h"

namespace zy::zyfarm {

static_assert(offsetof(RT_INF, frame_count) + 8 == kFrameCountOffset);
static_assert(offsetof(RT_INF, options) + 8 + 3 == kAutosaveByteOffset);

namespace {

constexpr std::size_t kShadeSize = 8 + 141 + 14;
constexpr std::size_t kSettingsHead = 8 + sizeof(RT_INF);
constexpr std::size_t kTextureNameSize = 80;

// A zero-terminated text field, cut at size - 1 characters as zyray cuts it.
std::string text_field(const char* bytes, std::size_t size) {
    std::size_t n = 0;
    while (n + 1 < size && bytes[n] != '\0') ++n;
    return {bytes, n};
}

// The first count bytes of a file; fewer when the file is shorter.
std::string read_head(const fs::path& path, std::size_t count) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw bad_input(path.string() + ": cannot be read");
    std::string bytes(count, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

std::string ends_early(const fs::path& path, std::size_t size, std::size_t needed) {
    return path.string() + ": ends after " + std::to_string(size) + " bytes, " + std::to_string(needed) +
           " needed";
}

// Every block must start with the frame tag: zyray checks only the blocks it
// renders, a farm finds a bad one before any task is queued.
void check_frame_blocks(const fs::path& path, int frame_count, std::uintmax_t block_size) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw bad_input(path.string() + ": cannot be read");
    for (int frame = 0; frame < frame_count; ++frame) {
        char tag[8] = {};
        in.seekg(static_cast<std::streamoff>(block_size * static_cast<std::uintmax_t>(frame)));
        in.read(tag, sizeof tag);
        if (!in || std::memcmp(tag, "RT_FRAME", 8) != 0)
            throw bad_input(path.string() + ": frame block " + std::to_string(frame) + " (at byte " +
                            std::to_string(block_size * static_cast<std::uintmax_t>(frame)) +
                            ") does not start with RT_FRAME");
    }
}

}  // namespace

std::string file_in_folder(const std::string& name) {
    char text[500];
    std::snprintf(text, sizeof text, "%s", name.c_str());
    universal_path(text);
    return get_nom(text);
}

std::string scene_file(const std::string& directory, const std::string& scene, const char* ext) {
    char text[500];
    std::snprintf(text, sizeof text, "%s%s", directory.c_str(), scene.c_str());
    extension(text, ext);
    return file_in_folder(text);
}

SceneFolder read_scene_folder(const fs::path& folder) {
    SceneFolder scene;
    scene.folder = folder;
    const fs::path shade_path = folder / kShadeFile;
    const std::string shade = read_head(shade_path, kShadeSize);
    if (shade.size() < kShadeSize) throw bad_input(ends_early(shade_path, shade.size(), kShadeSize));
    if (shade.compare(0, 8, "RT_PATH ") != 0) throw bad_input(shade_path.string() + ": does not start with \"RT_PATH \"");
    const std::string directory = text_field(shade.data() + 8, 141);
    const std::string name = text_field(shade.data() + 8 + 141, 14);

    scene.settings_file = scene_file(directory, name, ".INF");
    const fs::path settings_path = folder / scene.settings_file;
    std::string settings = read_head(settings_path, kSettingsHead);
    if (settings.size() < kSettingsHead) throw bad_input(ends_early(settings_path, settings.size(), kSettingsHead));
    if (settings.compare(0, 8, "RT_INFO ") != 0)
        throw bad_input(settings_path.string() + ": does not start with \"RT_INFO \"");
    RT_INF inf;
    std::memcpy(&inf, settings.data() + 8, sizeof inf);
    translate_RT_INF(&inf);
    if (inf.frame_count < 1)
        throw bad_input(settings_path.string() + ": frame_count is " + std::to_string(inf.frame_count) +
                        ", there is no frame to render");
    if (inf.n_img < 0 || inf.n_img > kMaxImages)
        throw bad_input(settings_path.string() + ": " + std::to_string(inf.n_img) + " texture names, at most " +
                        std::to_string(kMaxImages) + " allowed");
    scene.frame_count = inf.frame_count;

    const std::size_t with_names = kSettingsHead + kTextureNameSize * static_cast<std::size_t>(inf.n_img);
    settings = read_head(settings_path, with_names);
    if (settings.size() < with_names) throw bad_input(ends_early(settings_path, settings.size(), with_names));
    for (int i = 0; i < inf.n_img; ++i) {
        const char* field = settings.data() + kSettingsHead + kTextureNameSize * static_cast<std::size_t>(i);
        const std::string file = file_in_folder(text_field(field, kTextureNameSize + 1));
        std::error_code ec;
        if (!fs::is_regular_file(folder / file, ec))
            throw bad_input((folder / file).string() + ": texture " + std::to_string(i) + " named by " +
                            scene.settings_file + " is missing");
        if (std::find(scene.texture_files.begin(), scene.texture_files.end(), file) == scene.texture_files.end())
            scene.texture_files.push_back(file);
    }

    const std::string path = text_field(inf.path, sizeof inf.path);
    scene.frame_file = scene_file(path, name, ".SYS");
    scene.break_file = scene_file(path, name, ".BRK");
    scene.scene_picture = scene_file(path, name, ".TIF");
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
