// The frames as a video, through the ffmpeg program.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zy::pictures {

/// The container for path's extension: "mp4", "gif", or "" when neither.
std::string video_format(const std::filesystem::path& path);

/// Writes the renderer's pictures (all of one size) as an H.264 yuv420p MP4,
/// odd sizes padded by one pixel, or as a GIF with its own palette; beside the
/// name first, then renamed. Throws std::runtime_error.
void write_video(const std::filesystem::path& path, int fps, const std::vector<std::filesystem::path>& pictures);

}  // namespace zy::pictures
