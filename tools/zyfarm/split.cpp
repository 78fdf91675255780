#include "zyfarm/split.h"

#include <charconv>

#include "writer/frame_range.h"
#include "zyfarm/farm_error.h"
#include "zyfarm/scene_folder.h"

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

FarmPlan split_scene(const fs::path& scene_dir, int tasks, const fs::path& work) {
    const SceneFolder scene = read_scene_folder(scene_dir);
    if (tasks > scene.frame_count)
        throw bad_input("TASKS " + std::to_string(tasks) + " is more than the scene's " +
                        std::to_string(scene.frame_count) + " frames");
    prepare_work_folder(work);

    FarmPlan plan;
    plan.frames = scene.frame_count;
    plan.break_file = scene.break_file;
    plan.scene_picture = scene.scene_picture;
    plan.tasks = even_ranges(scene.frame_count, tasks);

    const writer::RangeSource source = range_source(scene);
    for (std::size_t i = 0; i < plan.tasks.size(); ++i) {
        const FrameRange range = plan.tasks[i];
        const fs::path folder = work / plan.task_folder(i);
        fs::create_directory(folder);
        writer::write_range_folder(source, folder, range.first, range.end);
    }
    write_plan(work, plan);
    return plan;
}

}  // namespace zy::zyfarm
