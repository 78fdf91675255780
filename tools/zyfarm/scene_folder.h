// What zyfarm needs to know about a scene folder, read the way zyray reads it:
// the scene's file names, its frame count and the size of one frame block.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "writer/frame_range.h"

namespace zy::zyfarm {

namespace fs = std::filesystem;

using writer::kShadeFile;

/// A scene folder whose files zyray can render as an animation.
struct SceneFolder {
    fs::path folder;
    std::string settings_file;               ///< settings file (.inf)
    std::string frame_file;                  ///< frame file (.sys)
    std::string break_file;                  ///< where zyray records its progress (.brk)
    std::string scene_picture;               ///< picture name of a one-frame scene (.tif)
    std::vector<std::string> texture_files;  ///< distinct texture files the settings name
    int frame_count = 0;
    int width = 0, height = 0;               ///< picture size in pixels
    std::uintmax_t block_size = 0;           ///< bytes of one frame block
};

/// Reads and checks the folder's shade, settings and frame files and looks
/// for its textures. Throws a bad-input FarmError naming the file at fault.
SceneFolder read_scene_folder(const fs::path& folder);

/// The folder's files as the source of frame-range runs.
inline writer::RangeSource range_source(const SceneFolder& scene) {
    return {scene.folder,        scene.settings_file, scene.frame_file, scene.break_file,
            scene.scene_picture, scene.texture_files, scene.block_size};
}

}  // namespace zy::zyfarm
