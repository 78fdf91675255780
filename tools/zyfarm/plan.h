// The plan of a farm: which frames, or which rows of a frame, each task renders
// and under which names. split writes it into the work folder; run, gather,
// status and requeue read it back.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zy::zyfarm {

namespace fs = std::filesystem;

/// What one task renders: frames first .. end - 1 (0-based, as in the break
/// file), or for a band lines first_line .. end_line - 1 of frame first alone.
struct TaskShare {
    int first = 0;
    int end = 0;
    int first_line = 0;
    int end_line = 0;  ///< 0 for whole frames
    bool is_band() const { return end_line != 0; }
    bool operator==(const TaskShare&) const = default;
};

/// Edge k of total things cut into parts contiguous pieces whose sizes differ
/// by at most one: piece k is edge k .. edge k + 1.
int even_edge(int total, int parts, int k);

/// Frames 0 .. frames - 1 cut into tasks contiguous ranges whose sizes differ
/// by at most one. Needs 1 <= tasks <= frames.
std::vector<TaskShare> even_ranges(int frames, int tasks);

/// A split animation.
struct FarmPlan {
    int frames = 0;                  ///< frame_count of the whole scene
    int width = 0, height = 0;       ///< picture size; 0 in a plan of an earlier zyfarm
    std::string break_file;          ///< break file name inside each task folder
    std::string scene_picture;       ///< picture name of a one-frame run
    std::vector<TaskShare> tasks;    ///< one share per task, in frame and line order

    /// Folder of task index inside the work folder: task-000, task-001 ...
    std::string task_folder(std::size_t index) const;
    /// "task-001 (frames 3 to 4)" or "task-002 (frame 1, rows 17 to 32)", for
    /// messages: frames and rows counted from 1, as the picture names count.
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
