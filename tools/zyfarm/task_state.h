// Where a task stands, as its break file records it.
#pragma once

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

/// Why task index of the plan has not finished rendering, or "" when it has:
/// zyray leaves (end, 0) in the break file after the task's last frame.
std::string unfinished_reason(const fs::path& work, const FarmPlan& plan, std::size_t index);

}  // namespace zy::zyfarm
