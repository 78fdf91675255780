#include "zyfarm/task_state.h"

#include <algorithm>
#include <fstream>

#include "render/tiff_header.h"
#include "scene/records.h"
#include "writer/frame_range.h"
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

std::uintmax_t picture_offset(const FarmPlan& plan, int line) {
    return std::uintmax_t{kTiffHeaderSize} +
           std::uintmax_t{3} * static_cast<std::uintmax_t>(plan.width) * static_cast<std::uintmax_t>(line);
}

BreakPoint start_point(const TaskShare& share) { return {share.first, share.first_line}; }

void write_task_start(const fs::path& work, const FarmPlan& plan, std::size_t index) {
    const TaskShare& share = plan.tasks[index];
    const fs::path folder = work / plan.task_folder(index);
    if (share.first_line > 0) {
        const fs::path picture = folder / plan.task_picture(index, share.first);
        const std::uintmax_t size = picture_offset(plan, share.first_line);
        std::error_code ec;
        if (!fs::exists(picture, ec)) std::ofstream(picture, std::ios::binary);
        if (fs::file_size(picture, ec) < size || ec) fs::resize_file(picture, size, ec);
        if (ec) throw not_done(picture.string() + ": cannot be written: " + ec.message());
    }
    write_break_point(folder / plan.break_file, start_point(share));
}

Progress task_progress(const fs::path& work, const FarmPlan& plan, std::size_t index) {
    const TaskShare& s = plan.tasks[index];
    const long long frame_lines = plan.height > 0 ? plan.height : 1;
    const Progress whole = s.is_band() ? Progress{0, s.end_line - s.first_line}
                                       : Progress{0, (s.end - s.first) * frame_lines};
    const auto point = read_break_point(work / plan.task_folder(index) / plan.break_file);
    if (!point || point->frame < s.first) return whole;
    if (point->frame >= s.end) return {whole.total, whole.total};
    const long long lines = plan.height > 0 ? point->line : 0;
    const long long done = s.is_band() ? lines - s.first_line : (point->frame - s.first) * frame_lines + lines;
    return {std::clamp(done, 0LL, whole.total), whole.total};
}

std::string unfinished_reason(const fs::path& work, const FarmPlan& plan, std::size_t index) {
    const TaskShare& share = plan.tasks[index];
    const auto point = read_break_point(work / plan.task_folder(index) / plan.break_file);
    if (!point) return "has no break file, it has not started";
    if (*point == BreakPoint{share.end, 0}) return "";
    if (*point == start_point(share)) return "has not started";
    // The break file counts from 0; people count frames and rows from 1.
    return "has not finished: it goes on at frame " + std::to_string(point->frame + 1) + ", row " +
           std::to_string(point->line + 1);
}

}  // namespace zy::zyfarm
