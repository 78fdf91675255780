#include "zyfarm/task_state.h"

#include <fstream>

#include "scene/records.h"
#include "zyfarm/farm_error.h"

namespace zy::zyfarm {

std::optional<BreakPoint> read_break_point(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    unsigned char bytes[4];
    if (!in.read(reinterpret_cast<char*>(bytes), sizeof bytes)) return std::nullopt;
    return BreakPoint{read_be16(bytes), read_be16(bytes + 2)};
}

void write_break_point(const fs::path& file, BreakPoint point) {
    const auto f = static_cast<uint16_t>(point.frame);
    const auto l = static_cast<uint16_t>(point.line);
    const char bytes[4] = {static_cast<char>(f >> 8), static_cast<char>(f & 0xFF), static_cast<char>(l >> 8),
                           static_cast<char>(l & 0xFF)};
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes, sizeof bytes);
    out.flush();
    if (!out) throw not_done(file.string() + ": cannot be written");
}

std::string unfinished_reason(const fs::path& work, const FarmPlan& plan, std::size_t index) {
    const FrameRange& range = plan.tasks[index];
    const auto point = read_break_point(work / plan.task_folder(index) / plan.break_file);
    if (!point) return "has no break file, it has not started";
    if (*point == BreakPoint{range.end, 0}) return "";
    if (*point == BreakPoint{range.first, 0}) return "has not started: its break file holds frame " +
                                                   std::to_string(range.first) + ", line 0";
    return "has not finished: its break file holds frame " + std::to_string(point->frame) + ", line " +
           std::to_string(point->line) + " (frame " + std::to_string(range.end) + ", line 0 when done)";
}

}  // namespace zy::zyfarm
