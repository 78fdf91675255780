#include "zyfarm/plan.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "zyfarm/farm_error.h"
#include "zyfarm/scene_folder.h"

namespace zy::zyfarm {

namespace {

// Version 1 plans (frame ranges only, no picture size) are still read: their
// tasks run, gather and requeue as they always did.
constexpr const char* kPlanTag = "zyfarm-plan 2";
constexpr const char* kFirstPlanTag = "zyfarm-plan 1";

bool parse_int(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty();
}

// The numbers of text, which must be exactly count of them.
bool parse_ints(const std::string& text, std::vector<int>& values, std::size_t count) {
    std::istringstream words(text);
    values.clear();
    for (std::string word; words >> word;) {
        int v = 0;
        if (!parse_int(word, v)) return false;
        values.push_back(v);
    }
    return values.size() == count;
}

// Reads the plan line by line; every fault names the line.
class PlanReader {
public:
    explicit PlanReader(const fs::path& path) : path_(path), in_(path) {
        if (!in_) throw bad_input(path.string() + ": cannot be read (is this a folder made by zyfarm split?)");
    }

    // A file name of the plan: a plain name inside a task folder.
    std::string file_name(const std::string& key) {
        const std::string name = value(key);
        if (name == "." || name == ".." || name.find('/') != std::string::npos) fail("\"" + name + "\" is not a file name");
        return name;
    }

    // The value of the next line, which must be "key value".
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

    // The next task's share, which must start where the previous one ended:
    // "task FIRST END" for frames, "band FRAME FIRST_LINE END_LINE" for rows.
    TaskShare share(const FarmPlan& plan, TaskShare& next) {
        std::string line;
        ++number_;
        if (!std::getline(in_, line)) fail("ends early, a task expected");
        std::vector<int> v;
        TaskShare s;
        if (line.starts_with("task ") && parse_ints(line.substr(5), v, 2)) {
            s = {v[0], v[1], 0, 0};
            if (s.first >= s.end || s.end > plan.frames) fail("\"" + line + "\" is not a frame range within the scene");
        } else if (line.starts_with("band ") && parse_ints(line.substr(5), v, 3)) {
            s = {v[0], v[0] + 1, v[1], v[2]};
            if (s.first_line % 2 != 0 || s.first_line >= s.end_line || s.end_line > plan.height ||
                (s.end_line % 2 != 0 && s.end_line != plan.height))
                fail("\"" + line + "\" is not a band of whole two-row bands within the picture");
        } else {
            fail("\"task FIRST END\" or \"band FRAME FIRST_LINE END_LINE\" expected");
        }
        if (s.first != next.first || s.first_line != next.first_line)
            fail("\"" + line + "\" does not start where the previous task ends");
        const bool frame_done = !s.is_band() || s.end_line == plan.height;
        next = frame_done ? TaskShare{s.end, 0, 0, 0} : TaskShare{s.first, 0, s.end_line, 0};
        return s;
    }

    // True for a plan of the current version, false for a version 1 plan.
    bool expect_tag() {
        std::string line;
        ++number_;
        if (std::getline(in_, line) && line == kFirstPlanTag) return false;
        if (line != kPlanTag)
            fail("not a zyfarm plan this zyfarm knows; split the scene folder again into a new work folder");
        return true;
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

int even_edge(int total, int parts, int k) {
    return static_cast<int>(static_cast<long long>(total) * k / parts);
}

std::vector<TaskShare> even_ranges(int frames, int tasks) {
    std::vector<TaskShare> ranges;
    for (int i = 0; i < tasks; ++i) ranges.push_back({even_edge(frames, tasks, i), even_edge(frames, tasks, i + 1)});
    return ranges;
}

std::string FarmPlan::task_folder(std::size_t index) const {
    const int width = std::max<int>(3, static_cast<int>(std::to_string(tasks.size() - 1).size()));
    char text[32];
    std::snprintf(text, sizeof text, "task-%0*zu", width, index);
    return text;
}

std::string FarmPlan::describe(std::size_t index) const {
    const TaskShare& s = tasks[index];
    std::string share = "frame " + std::to_string(s.first + 1);
    if (s.end - s.first > 1) share = "frames " + std::to_string(s.first + 1) + " to " + std::to_string(s.end);
    if (s.is_band()) share += ", rows " + std::to_string(s.first_line + 1) + " to " + std::to_string(s.end_line);
    return task_folder(index) + " (" + share + ")";
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
        << "size " << plan.width << " " << plan.height << "\n"
        << "break " << plan.break_file << "\n"
        << "picture " << plan.scene_picture << "\n"
        << "tasks " << plan.tasks.size() << "\n";
    for (const TaskShare& s : plan.tasks) {
        if (s.is_band()) out << "band " << s.first << " " << s.first_line << " " << s.end_line << "\n";
        else out << "task " << s.first << " " << s.end << "\n";
    }
    out.flush();
    if (!out) throw bad_input(path.string() + ": cannot be written");
}

FarmPlan read_plan(const fs::path& work) {
    PlanReader reader(work / kPlanFile);
    const bool current = reader.expect_tag();
    FarmPlan plan;
    plan.frames = reader.number("frames", 1, 32767);
    if (current) {
        std::vector<int> size;
        const std::string text = reader.value("size");
        if (!parse_ints(text, size, 2) || size[0] < 1 || size[1] < 1 || size[0] > 32767 || size[1] > 32767)
            reader.fail("\"size " + text + "\" is not a picture size");
        plan.width = size[0];
        plan.height = size[1];
    }
    plan.break_file = reader.file_name("break");
    plan.scene_picture = reader.file_name("picture");
    const int count = reader.number("tasks", 1, 32767);
    TaskShare next;
    for (int i = 0; i < count; ++i) plan.tasks.push_back(reader.share(plan, next));
    if (next.first != plan.frames) reader.fail("the tasks end before the last frame");
    return plan;
}

std::size_t parse_task(const FarmPlan& plan, const std::string& text) {
    int index = 0;
    if (!parse_int(text, index) || index < 0 || static_cast<std::size_t>(index) >= plan.tasks.size())
        throw bad_input("\"" + text + "\" is not a task number from 0 to " + std::to_string(plan.tasks.size() - 1));
    return static_cast<std::size_t>(index);
}

}  // namespace zy::zyfarm
