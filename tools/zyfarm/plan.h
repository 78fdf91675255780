// The plan of a farm: which frames each task renders and under which names.
// split writes it into the work folder; run, gather and requeue read it back.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zy::zyfarm {

namespace fs = std::filesystem;

/// Frames first .. end - 1 (0-based, as in the break file).
struct FrameRange {
    int first = 0;
    int end = 0;
    bool operator==(const FrameRange&) const = default;
};

/// Frames 0 .. frames - 1 cut into tasks contiguous ranges whose sizes differ
/// by at most one. Needs 1 <= tasks <= frames.
std::vector<FrameRange> even_ranges(int frames, int tasks);

/// A split animation.
struct FarmPlan {
    int frames = 0;                  ///< frame_count of the whole scene
    std::string break_file;          ///< break file name inside each task folder
    std::string scene_picture;       ///< picture name of a one-frame run
    std::vector<FrameRange> tasks;   ///< one range per task, in frame order

    /// Folder of task index inside the work folder: task-000, task-001 ...
    std::string task_folder(std::size_t index) const;
    /// "task-001 (frames 2 to 3)", for messages.
    std::string describe(std::size_t index) const;
    /// Name of frame in a full run of the scene.
    std::string full_run_picture(int frame) const;
    /// Name zyray gives frame inside task index.
    std::string task_picture(std::size_t index, int frame) const;
};

/// Name of the plan inside the work folder.
inline constexpr const char* kPlanFile = "zyfarm.plan";

void write_plan(const fs::path& work, const FarmPlan& plan);
/// Reads the work folder's plan; a missing or malformed plan is bad input.
FarmPlan read_plan(const fs::path& work);

/// Parses a task number of the plan given on the command line.
std::size_t parse_task(const FarmPlan& plan, const std::string& text);

}  // namespace zy::zyfarm
