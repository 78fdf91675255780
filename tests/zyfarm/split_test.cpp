// What split leaves in each task folder, and the scenes it refuses.
#include <gtest/gtest.h>

#include <fstream>

#include "writer/scene_reader.h"
#include "zyfarm/farm_error.h"
#include "zyfarm/farm_support.h"
#include "zyfarm/split.h"
#include "zyfarm/task_state.h"

namespace zy::test {
namespace {

using zyfarm::FarmPlan;

// The frames, textures and plan are checked by the whole farms' pictures; what
// they cannot show is the autosave each task needs and where each one starts.
TEST(Split, EachTaskFolderRendersItsRangeWithAutosave) {
    TempDir dir;
    writer::Scene scene = farm_scene(7, 8, 4);
    scene.settings.inf.options = 0;
    write_farm_scene(dir / "scene", scene);
    std::vector<std::string> notes;
    const FarmPlan plan = zyfarm::split_scene(dir / "scene", 3, dir / "work", notes);
    ASSERT_EQ(plan.tasks, zyfarm::even_ranges(7, 3));
    for (std::size_t i = 0; i < plan.tasks.size(); ++i) {
        const fs::path folder = dir / "work" / plan.task_folder(i);
        writer::SettingsFile expected_settings = scene.settings;
        expected_settings.inf.frame_count = static_cast<int16_t>(plan.tasks[i].end);
        expected_settings.inf.options = 1;  // autosave
        EXPECT_EQ(read_bytes(folder / "ball.inf"), writer::settings_file_bytes(expected_settings)) << folder;
        EXPECT_EQ(zyfarm::read_break_point(folder / "ball.brk"), (zyfarm::BreakPoint{plan.tasks[i].first, 0}))
            << folder;
    }
}

TEST(Split, RangesCoverEveryFrameOnceInNearlyEqualParts) {
    for (int frames = 1; frames <= 30; ++frames) {
        for (int tasks = 1; tasks <= frames; ++tasks) {
            const auto ranges = zyfarm::even_ranges(frames, tasks);
            ASSERT_EQ(ranges.size(), static_cast<std::size_t>(tasks));
            int next = 0, smallest = frames, largest = 0;
            for (const auto& r : ranges) {
                EXPECT_EQ(r.first, next) << frames << " frames, " << tasks << " tasks";
                smallest = std::min(smallest, r.end - r.first);
                largest = std::max(largest, r.end - r.first);
                next = r.end;
            }
            EXPECT_EQ(next, frames);
            EXPECT_GE(smallest, 1);
            EXPECT_LE(largest - smallest, 1) << frames << " frames, " << tasks << " tasks";
        }
    }
}

TEST(Split, FewerFramesThanTasksCutsFramesIntoBandsOfWholeTwoRowBands) {
    struct Case {
        int frames, height, tasks;
        std::vector<zyfarm::TaskShare> shares;
        std::size_t notes;
    };
    const Case cases[] = {
        {1, 32, 3, {{0, 1, 0, 10}, {0, 1, 10, 20}, {0, 1, 20, 32}}, 0},
        {2, 7, 5, {{0, 1, 0, 4}, {0, 1, 4, 7}, {1, 2, 0, 2}, {1, 2, 2, 4}, {1, 2, 4, 7}}, 0},
        {1, 3, 5, {{0, 1, 0, 2}, {0, 1, 2, 3}}, 1},   // capped at its two two-row bands
        {3, 8, 4, {{0, 1}, {1, 2}, {2, 3, 0, 4}, {2, 3, 4, 8}}, 0},  // one band is a whole frame
    };
    for (const Case& c : cases) {
        std::vector<std::string> notes;
        EXPECT_EQ(zyfarm::plan_shares(c.frames, c.height, c.tasks, notes), c.shares) << c.frames << " " << c.tasks;
        EXPECT_EQ(notes.size(), c.notes);
    }
}

// A scene folder spoiled by change, and a word the error line must contain.
struct Spoiled {
    const char* what;
    void (*change)(const fs::path& scene);
    const char* named;
};

void append_byte(const fs::path& file) { std::ofstream(file, std::ios::app | std::ios::binary).put('\0'); }

void set_frame_count(const fs::path& settings_file, int16_t frames) {
    writer::SettingsFile settings = writer::read_settings_file(writer::read_file(settings_file));
    settings.inf.frame_count = frames;
    writer::write_file(settings_file, writer::settings_file_bytes(settings));
}

void spoil_settings_tag(const fs::path& settings_file) {
    writer::Bytes bytes = writer::read_file(settings_file);
    bytes[0] = 'X';
    writer::write_file(settings_file, bytes);
}

TEST(Split, RefusesASpoiledSceneInOneLineNamingTheFile) {
    const Spoiled cases[] = {
        {"frame file one byte too long", [](const fs::path& s) { append_byte(s / "ball.sys"); }, "ball.sys"},
        {"frame_count 0", [](const fs::path& s) { set_frame_count(s / "ball.inf", 0); },
         "ball.inf"},
        {"frame_count 12 cuts the six frame blocks in halves",
         [](const fs::path& s) { set_frame_count(s / "ball.inf", 12); }, "RT_FRAME"},
        {"no shade file", [](const fs::path& s) { fs::remove(s / "zy_shade.xpa"); }, "zy_shade.xpa"},
        {"settings tag", [](const fs::path& s) { spoil_settings_tag(s / "ball.inf"); }, "ball.inf"},
        {"settings cut", [](const fs::path& s) { fs::resize_file(s / "ball.inf", 150); }, "ball.inf"},
        {"texture missing", [](const fs::path& s) { fs::remove(s / "stripes.iim"); }, "stripes.iim"},
        {"no frame file", [](const fs::path& s) { fs::remove(s / "ball.sys"); }, "ball.sys"},
    };
    for (const Spoiled& c : cases) {
        TempDir dir;
        write_farm_scene(dir / "scene", farm_scene(6, 8, 4));
        c.change(dir / "scene");
        const FarmRun run = run_zyfarm({"split", (dir / "scene").string(), "2", (dir / "work").string()});
        EXPECT_EQ(run.status, zyfarm::kBadInput) << c.what;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << c.what << ": " << run.err;
        EXPECT_TRUE(run.err.starts_with("zyfarm: ")) << c.what << ": " << run.err;
        EXPECT_NE(run.err.find(c.named), std::string::npos) << c.what << ": " << run.err;
        EXPECT_FALSE(fs::exists(dir / "work" / "zyfarm.plan")) << c.what;
    }
}

TEST(Split, RefusesTaskCountsAndWorkFoldersThatCannotBeUsed) {
    TempDir dir;
    write_farm_scene(dir / "scene", farm_scene(3, 8, 4));
    for (const char* tasks : {"0", "two", ""}) {
        const FarmRun run = run_zyfarm({"split", (dir / "scene").string(), tasks, (dir / "work").string()});
        EXPECT_EQ(run.status, zyfarm::kBadInput) << tasks;
        EXPECT_NE(run.err.find("TASKS"), std::string::npos) << tasks << ": " << run.err;
    }
    fs::create_directories(dir / "busy");
    append_byte(dir / "busy" / "something");
    const FarmRun busy = run_zyfarm({"split", (dir / "scene").string(), "2", (dir / "busy").string()});
    EXPECT_EQ(busy.status, zyfarm::kBadInput);
    EXPECT_NE(busy.err.find("not empty"), std::string::npos) << busy.err;
}

}  // namespace
}  // namespace zy::test
