// Collecting the pictures of a finished farm under their full-run names.
#pragma once

#include <filesystem>

namespace zy::zyfarm {

namespace fs = std::filesystem;

/// What gather writes besides, or instead of, the renderer's TIFFs.
struct GatherOptions {
    bool png = false;  ///< PNG pictures (the same pixels) instead of TIFFs
    fs::path video;    ///< also the frames as this .mp4 or .gif, when not empty
    int fps = 24;      ///< frames a second of the video
};

/// Writes every frame's picture from the tasks of work into out (created when
/// missing), named as a single zyray run of the whole scene names them: a
/// frame-range task's pictures as they are, the bands of a frame stitched into
/// one picture, byte for byte the one a single run writes. Checks every task
/// first and writes nothing unless all have finished and all pictures are
/// there; otherwise throws a not-done FarmError naming the first task at fault.
/// Returns the number of pictures.
int gather_pictures(const fs::path& work, const fs::path& out, const GatherOptions& options = {});

}  // namespace zy::zyfarm
