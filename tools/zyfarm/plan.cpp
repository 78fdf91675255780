#include "zyfarm/plan.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "zyfarm/farm_error.h"
#include "zyfarm/scene_folder.h"

namespace zy::zyfarm {

namespace {

constexpr const char* kPlanTag = "zyfarm-plan 1";

bool parse_int(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty();
}

// Reads the plan line by line; every fault names the line.
class PlanReader {
public:
    explicit PlanReader(const fs::path& path) : path_(path), in_(path) {
        if (!in_) throw bad_input(path.string() + ": cannot be read (is this a folder made by zyfarm split?)");
    }

    // The value of the next line, which must be "key value".
    // A file name of the plan: a plain name inside a task folder.
    std::string file_name(const std::string& key) {
        const std::string name = value(key);
        if (name == "." || name == ".." || name.find('/') != std::string::npos) fail("\"" + name + "\" is not a file name");
        return name;
    }

    std::string value(const std::string& key) {
        std::string line;
        ++number_;
        if (!std::getline(in_, line)) fail("ends early, \"" + key + "\" expected");
        if (line.rfind(key + " ", 0) != 0 || line.size() == key.size() + 1) fail("\"" + key + " ...\" expected");
        return line.substr(key.size() + 1);
    }

    int number(const std::string& key, int low, int high) {
        const std::string text = value(key);
        int v = 0;
        if (!parse_int(text, v) || v < low || v > high)
            fail("\"" + text + "\" is not a number from " + std::to_string(low) + " to " + std::to_string(high));
        return v;
    }

    FrameRange range(int frames) {
        const std::string text = value("task");
        std::istringstream words(text);
        std::string first, end, rest;
        FrameRange r;
        if (!(words >> first >> end) || (words >> rest) || !parse_int(first, r.first) || !parse_int(end, r.end) ||
            r.first < 0 || r.first >= r.end || r.end > frames)
            fail("\"task " + text + "\" is not a frame range within 0 to " + std::to_string(frames));
        return r;
    }

    void expect_tag() {
        std::string line;
        ++number_;
        if (!std::getline(in_, line) || line != kPlanTag) fail("not a zyfarm plan");
    }

    [[noreturn]] void fail(const std::string& what) const {
        throw bad_input(path_.string() + ": line " + std::to_string(number_) + ": " + what);
    }

private:
    fs::path path_;
    std::ifstream in_;
    int number_ = 0;
};

}  // namespace

std::vector<FrameRange> even_ranges(int frames, int tasks) {
    std::vector<FrameRange> ranges;
    for (int i = 0; i < tasks; ++i) {
        const auto edge = [&](int k) { return static_cast<int>(static_cast<long long>(frames) * k / tasks); };
        ranges.push_back({edge(i), edge(i + 1)});
    }
    return ranges;
}

std::string FarmPlan::task_folder(std::size_t index) const {
    const int width = std::max<int>(3, static_cast<int>(std::to_string(tasks.size() - 1).size()));
    char text[32];
    std::snprintf(text, sizeof text, "task-%0*zu", width, index);
    return text;
}

std::string FarmPlan::describe(std::size_t index) const {
    const FrameRange& r = tasks[index];
    const std::string frames_text = r.end - r.first == 1 ? "frame " + std::to_string(r.first)
                                                          : "frames " + std::to_string(r.first) + " to " +
                                                                std::to_string(r.end - 1);
    return task_folder(index) + " (" + frames_text + ")";
}

std::string FarmPlan::full_run_picture(int frame) const {
    return writer::run_picture(frame, frames, scene_picture);
}

std::string FarmPlan::task_picture(std::size_t index, int frame) const {
    // A task's settings say frame_count = its end.
    return writer::run_picture(frame, tasks[index].end, scene_picture);
}

void write_plan(const fs::path& work, const FarmPlan& plan) {
    const fs::path path = work / kPlanFile;
    std::ofstream out(path, std::ios::trunc);
    out << kPlanTag << "\n"
        << "frames " << plan.frames << "\n"
        << "break " << plan.break_file << "\n"
        << "picture " << plan.scene_picture << "\n"
        << "tasks " << plan.tasks.size() << "\n";
    for (const FrameRange& r : plan.tasks) out << "task " << r.first << " " << r.end << "\n";
    out.flush();
    if (!out) throw bad_input(path.string() + ": cannot be written");
}

FarmPlan read_plan(const fs::path& work) {
    PlanReader reader(work / kPlanFile);
    reader.expect_tag();
    FarmPlan plan;
    plan.frames = reader.number("frames", 1, 32767);
    plan.break_file = reader.file_name("break");
    plan.scene_picture = reader.file_name("picture");
    const int count = reader.number("tasks", 1, plan.frames);
    int next = 0;
    for (int i = 0; i < count; ++i) {
        const FrameRange r = reader.range(plan.frames);
        if (r.first != next) reader.fail("task " + std::to_string(i) + " does not start where the previous ends");
        plan.tasks.push_back(r);
        next = r.end;
    }
    if (next != plan.frames) reader.fail("the tasks end at frame " + std::to_string(next) + ", not at the last frame");
    return plan;
}

std::size_t parse_task(const FarmPlan& plan, const std::string& text) {
    int index = 0;
    if (!parse_int(text, index) || index < 0 || static_cast<std::size_t>(index) >= plan.tasks.size())
        throw bad_input("\"" + text + "\" is not a task number from 0 to " + std::to_string(plan.tasks.size() - 1));
    return static_cast<std::size_t>(index);
}

}  // namespace zy::zyfarm
