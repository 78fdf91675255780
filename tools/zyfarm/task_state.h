// Where a task stands, as its break file records it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "zyfarm/plan.h"

namespace zy::zyfarm {

/// The two numbers of a break file: the frame and the line to continue at.
struct BreakPoint {
    int frame = 0;
    int line = 0;
    bool operator==(const BreakPoint&) const = default;
};

/// The break file's numbers; none when it is missing or holds fewer than 4 bytes.
std::optional<BreakPoint> read_break_point(const fs::path& file);
/// Writes the 4-byte break file (frame, line), big-endian.
void write_break_point(const fs::path& file, BreakPoint point);

/// Byte offset of line in a picture of the plan's width: rows follow the header.
std::uintmax_t picture_offset(const FarmPlan& plan, int line);

/// Where task index starts: its first frame at its first line.
BreakPoint start_point(const TaskShare& share);

/// Puts task index back at its start: the break file at its start point and,
/// for a band below the top, a picture file reaching its first line. zyray
/// reads nothing from the rows above (a hole: no disk space), but resumes only
/// in a file that long.
void write_task_start(const fs::path& work, const FarmPlan& plan, std::size_t index);

/// Lines of its share task index has rendered, as its break file says, out of
/// all its lines (a frame of a plan without picture size counts as one line).
struct Progress {
    long long done = 0, total = 0;
};
Progress task_progress(const fs::path& work, const FarmPlan& plan, std::size_t index);

/// Why task index of the plan has not finished rendering, or "" when it has:
/// zyray leaves (end, 0) in the break file after the task's last frame or band.
std::string unfinished_reason(const fs::path& work, const FarmPlan& plan, std::size_t index);

}  // namespace zy::zyfarm
