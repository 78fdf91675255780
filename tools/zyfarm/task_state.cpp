#include "zyfarm/task_state.h"

#include <fstream>

#include "writer/scene_reader.h"
#include "zyfarm/farm_error.h"

namespace zy::zyfarm {

std::optional<BreakPoint> read_break_point(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    writer::Bytes bytes(4);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    const auto point = writer::read_break_file(bytes);
    if (!point) return std::nullopt;
    return BreakPoint{point->frame, point->line};
}

void write_break_point(const fs::path& file, BreakPoint point) {
    const writer::Bytes bytes =
        writer::break_file_bytes(static_cast<int16_t>(point.frame), static_cast<int16_t>(point.line));
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
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
