// One run of the batch renderer as a child process in its folder, read
// through the lines it prints.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace zy::front {

/// What the renderer's lines say as they come.
struct RenderListener {
    std::function<void()> frame_started;         ///< a frame's preparation began
    std::function<void(int rows)> rows_written;  ///< rows of the current frame done so far
};

struct RenderOutcome {
    bool done = false;         ///< the renderer reached its normal end
    bool interrupted = false;  ///< stopped by Ctrl-C (or a termination request)
    int error = 0;             ///< the renderer's error number, 0 for none
    std::string file;          ///< the file it opened last before the error
    std::string what;          ///< the alert text, or how the process ended
};

/// Runs the batch renderer (zyray beside this program, without arguments) in folder, with
/// threads threads when given. Ctrl-C stops it and is reported, never fatal here.
RenderOutcome run_renderer(const std::filesystem::path& folder, std::optional<int> threads, int picture_rows,
                           const RenderListener& listener);

}  // namespace zy::front
