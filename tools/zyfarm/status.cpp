#include "zyfarm/status.h"

#include <algorithm>
#include <cstdio>

#include "zyfarm/task_state.h"

namespace zy::zyfarm {

namespace {

constexpr int kBarWidth = 20;

std::string bar(const Progress& p) {
    const auto full = static_cast<std::size_t>(p.total > 0 ? p.done * kBarWidth / p.total : 0);
    std::string text(kBarWidth + 2, '-');
    text.front() = '[';
    text.replace(1, full, full, '#');
    text.back() = ']';
    return text;
}

// "2 of 3 frames" for a frame range, "6 of 16 rows" for a band.
std::string share_done(const FarmPlan& plan, const TaskShare& share, const Progress& p) {
    if (share.is_band()) return std::to_string(p.done) + " of " + std::to_string(p.total) + " rows";
    const long long frame_lines = std::max(1, plan.height);
    const int frames = share.end - share.first;
    return std::to_string(p.done / frame_lines) + " of " + std::to_string(frames) +
           (frames == 1 ? " frame" : " frames");
}

long long seconds_between(fs::file_time_type from, fs::file_time_type to) {
    return std::max<long long>(0, std::chrono::duration_cast<std::chrono::seconds>(to - from).count());
}

}  // namespace

std::string clock_text(long long seconds) {
    char text[32];
    if (seconds >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", seconds / 60, seconds % 60);
    return text;
}

FarmStatus farm_status(const fs::path& work, const FarmPlan& plan, const std::map<std::size_t, std::string>& states,
                       fs::file_time_type now) {
    std::error_code ec;
    const fs::file_time_type split = fs::last_write_time(work / kPlanFile, ec);
    fs::file_time_type last_change = split;
    std::size_t width = 0;
    for (std::size_t i = 0; i < plan.tasks.size(); ++i) width = std::max(width, plan.describe(i).size());

    FarmStatus status;
    Progress job;
    for (std::size_t i = 0; i < plan.tasks.size(); ++i) {
        const Progress p = task_progress(work, plan, i);
        // Rows of frame ranges and bands weigh alike in the job's percent.
        job.done += p.done;
        job.total += p.total;
        const fs::file_time_type changed = fs::last_write_time(work / plan.task_folder(i) / plan.break_file, ec);
        if (!ec) last_change = std::max(last_change, changed);
        std::string line = plan.describe(i);
        line.resize(width + 2, ' ');
        line += bar(p) + "  " + share_done(plan, plan.tasks[i], p);
        if (const auto state = states.find(i); state != states.end()) line += "  " + state->second;
        status.lines.push_back(line);
    }
    status.finished = job.done == job.total;
    const long long percent = job.total > 0 ? job.done * 100 / job.total : 100;
    std::string summary = "job: " + std::to_string(percent) + "% done in " + std::to_string(plan.tasks.size()) +
                          " tasks, ";
    if (status.finished) {
        summary += "finished in " + clock_text(seconds_between(split, last_change));
    } else {
        const long long elapsed = seconds_between(split, now);
        summary += clock_text(elapsed) + " elapsed, ";
        summary += job.done > 0 ? "about " + clock_text(elapsed * (job.total - job.done) / job.done) + " left"
                                : "time left unknown until a task has rendered rows";
    }
    status.lines.push_back(summary);
    return status;
}

}  // namespace zy::zyfarm
