#include "zyfarm/split.h"

#include <algorithm>
#include <charconv>

#include "writer/frame_range.h"
#include "zyfarm/farm_error.h"
#include "zyfarm/scene_folder.h"
#include "zyfarm/task_state.h"

namespace zy::zyfarm {

namespace {

void prepare_work_folder(const fs::path& work) {
    std::error_code ec;
    if (fs::exists(work, ec)) {
        if (!fs::is_directory(work, ec)) throw bad_input(work.string() + ": exists and is not a folder");
        if (!fs::is_empty(work, ec)) throw bad_input(work.string() + ": is not empty; give split a new or empty folder");
    }
    fs::create_directories(work, ec);
    if (ec) throw bad_input(work.string() + ": cannot be created: " + ec.message());
}

}  // namespace

int parse_count(const std::string& text, const char* name) {
    int count = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, count);
    if (ec != std::errc() || ptr != end || text.empty() || count < 1)
        throw bad_input(std::string(name) + " \"" + text + "\" is not a positive number");
    return count;
}

std::vector<TaskShare> plan_shares(int frames, int height, int tasks, std::vector<std::string>& notes) {
    if (tasks <= frames) return even_ranges(frames, tasks);
    std::vector<TaskShare> shares;
    const int pairs = (height + 1) / 2;  // a band is made of whole two-row bands
    for (int frame = 0; frame < frames; ++frame) {
        const int wanted = even_edge(tasks, frames, frame + 1) - even_edge(tasks, frames, frame);
        const int bands = std::min(wanted, pairs);
        if (bands < wanted)
            notes.push_back("frame " + std::to_string(frame + 1) + " has only " + std::to_string(pairs) +
                            " two-row bands: " + std::to_string(bands) + " tasks for it, not " +
                            std::to_string(wanted));
        if (bands == 1) {
            shares.push_back({frame, frame + 1});
            continue;
        }
        for (int b = 0; b < bands; ++b)
            shares.push_back({frame, frame + 1, 2 * even_edge(pairs, bands, b),
                              std::min(height, 2 * even_edge(pairs, bands, b + 1))});
    }
    return shares;
}

FarmPlan split_scene(const fs::path& scene_dir, int tasks, const fs::path& work, std::vector<std::string>& notes) {
    const SceneFolder scene = read_scene_folder(scene_dir);
    prepare_work_folder(work);

    FarmPlan plan;
    plan.frames = scene.frame_count;
    plan.width = scene.width;
    plan.height = scene.height;
    plan.break_file = scene.break_file;
    plan.scene_picture = scene.scene_picture;
    plan.tasks = plan_shares(scene.frame_count, scene.height, tasks, notes);

    const writer::RangeSource source = range_source(scene);
    for (std::size_t i = 0; i < plan.tasks.size(); ++i) {
        const TaskShare share = plan.tasks[i];
        const fs::path folder = work / plan.task_folder(i);
        fs::create_directory(folder);
        writer::write_range_folder(source, folder, share.first, share.end);
        write_task_start(work, plan, i);
    }
    write_plan(work, plan);
    return plan;
}

}  // namespace zy::zyfarm
