#include "zyfarm/split.h"

#include <charconv>
#include <fstream>
#include <vector>

#include "zyfarm/farm_error.h"
#include "zyfarm/scene_folder.h"
#include "zyfarm/task_state.h"

namespace zy::zyfarm {

namespace {

std::vector<char> read_all(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw bad_input(path.string() + ": cannot be read");
    return bytes;
}

void write_all(const fs::path& path, const std::vector<char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) throw not_done(path.string() + ": cannot be written");
}

void prepare_work_folder(const fs::path& work) {
    std::error_code ec;
    if (fs::exists(work, ec)) {
        if (!fs::is_directory(work, ec)) throw bad_input(work.string() + ": exists and is not a folder");
        if (!fs::is_empty(work, ec)) throw bad_input(work.string() + ": is not empty; give split a new or empty folder");
    }
    fs::create_directories(work, ec);
    if (ec) throw bad_input(work.string() + ": cannot be created: " + ec.message());
}

// The settings say the run ends at the range's end and keeps a break file, so
// that a task stopped at any moment resumes where it stood.
std::vector<char> task_settings(std::vector<char> settings, int end) {
    settings[kFrameCountOffset] = static_cast<char>(end >> 8);
    settings[kFrameCountOffset + 1] = static_cast<char>(end & 0xFF);
    settings[kAutosaveByteOffset] = static_cast<char>(settings[kAutosaveByteOffset] | 1);
    return settings;
}

// The frame file with the range's end as its frame count. zyray reads no block
// before the range's first (the break file starts it there), so those are left
// as a hole: the file has its full length but costs no disk space for them.
void write_task_frames(const fs::path& source, const fs::path& target, const SceneFolder& scene, FrameRange range) {
    const std::uintmax_t begin = scene.block_size * static_cast<std::uintmax_t>(range.first);
    const std::uintmax_t end = scene.block_size * static_cast<std::uintmax_t>(range.end);
    { std::ofstream create(target, std::ios::binary | std::ios::trunc); }
    std::error_code ec;
    fs::resize_file(target, begin, ec);
    std::ifstream in(source, std::ios::binary);
    std::ofstream out(target, std::ios::binary | std::ios::in | std::ios::out);
    in.seekg(static_cast<std::streamoff>(begin));
    out.seekp(static_cast<std::streamoff>(begin));
    std::vector<char> buffer(1 << 20);
    for (std::uintmax_t left = end - begin; left > 0 && in && out;) {
        const auto piece = static_cast<std::streamsize>(std::min<std::uintmax_t>(left, buffer.size()));
        in.read(buffer.data(), piece);
        out.write(buffer.data(), in.gcount());
        left -= static_cast<std::uintmax_t>(in.gcount());
        if (in.gcount() == 0) break;
    }
    out.flush();
    if (ec || !in || !out) throw not_done(target.string() + ": cannot be written from " + source.string());
}

// True for the names zyray writes in its working folder.
bool written_by_zyray(const std::string& name, const SceneFolder& scene) {
    return name == scene.break_file || name == scene.scene_picture ||
           (name.size() == 12 && name.starts_with("zy_") && name.ends_with(".tif"));
}

// Textures are only read: a hard link is enough where the file system has
// them, unless zyray would write to that name and so through the link.
void link_or_copy(const fs::path& source, const fs::path& target, bool may_link) {
    std::error_code ec;
    if (may_link) {
        fs::create_hard_link(source, target, ec);
        if (!ec) return;
    }
    fs::copy_file(source, target, fs::copy_options::overwrite_existing, ec);
    if (ec) throw not_done(target.string() + ": cannot be copied from " + source.string() + ": " + ec.message());
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

    const std::vector<char> settings = read_all(scene_dir / scene.settings_file);
    for (std::size_t i = 0; i < plan.tasks.size(); ++i) {
        const FrameRange range = plan.tasks[i];
        const fs::path folder = work / plan.task_folder(i);
        fs::create_directory(folder);
        write_all(folder / scene.settings_file, task_settings(settings, range.end));
        write_task_frames(scene_dir / scene.frame_file, folder / scene.frame_file, scene, range);
        write_break_point(folder / scene.break_file, {range.first, 0});
        // Links last: a texture named like one of the task's own files must not
        // let a write through the link change the scene folder.
        link_or_copy(scene_dir / kShadeFile, folder / kShadeFile, true);
        for (const std::string& texture : scene.texture_files)
            if (!fs::exists(folder / texture))
                link_or_copy(scene_dir / texture, folder / texture, !written_by_zyray(texture, scene));
    }
    write_plan(work, plan);
    return plan;
}

}  // namespace zy::zyfarm
