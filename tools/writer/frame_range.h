// Rendering a range of an animation's frames with a plain zyray run: the scene
// files cut to that range, and the names the run gives its pictures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zy::writer {


/// Name of the shade file that starts every zyray run.
inline constexpr const char* kShadeFile = "zy_shade.xpa";

/// The files of a scene folder that a range is cut from.
struct RangeSource {
    std::filesystem::path folder;
    std::string settings_file;               ///< settings file (.inf)
    std::string frame_file;                  ///< frame file (.sys)
    std::string break_file;                  ///< where zyray records its progress (.brk)
    std::string scene_picture;               ///< picture name of a one-frame run (.tif)
    std::vector<std::string> texture_files;  ///< distinct texture files the settings name
    std::uintmax_t block_size = 0;           ///< bytes of one frame block
};

/// Fills the existing folder target with the files with which zyray renders
/// frames first .. end - 1 (0-based) and stops: the settings with frame_count =
/// end and autosave on, so that a stop at any moment resumes; the frame file
/// cut to end blocks, those before first left as a hole (never read, no disk
/// space); a break file that starts the run at (first, 0); the shade file and
/// the textures, hard-linked where that is safe. Throws std::runtime_error
/// naming the file.
void write_range_folder(const RangeSource& source, const std::filesystem::path& target, int first, int end);

/// The picture zyray writes for frame (0-based) in a run whose settings say
/// run_frames frames: a one-frame run names it after the scene.
std::string run_picture(int frame, int run_frames, const std::string& scene_picture);

}  // namespace zy::writer
