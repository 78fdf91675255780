// The fuzz harness in ordinary test runs: every input of the regression
// corpus replays without a finding, the writer's seeds reach the end of a
// normal run, and the harness's own checks and caps hold.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "driver/stop.h"
#include "harness/scene_files.h"
#include "harness/targets.h"
#include "seeds/seeds.h"
#include "writer/scene_writer.h"

namespace zy::fuzz {

// Test names and messages show the target by name.
void PrintTo(const TargetEntry& target, std::ostream* os) { *os << target.name; }

namespace {

namespace fs = std::filesystem;

Bytes read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class EachTarget : public ::testing::TestWithParam<TargetEntry> {};

// A finding aborts the process; a replay that returns has passed every check.
TEST(RegressionCorpus, ReplaysWithoutFinding) {
    int replayed = 0;
    for (const auto& dir : fs::directory_iterator(ZY_FUZZ_REGRESSION_DIR)) {
        const TargetEntry* target = find_target(dir.path().filename().string());
        ASSERT_NE(target, nullptr) << dir.path();
        for (const auto& entry : fs::directory_iterator(dir.path())) {
            SCOPED_TRACE(entry.path().string());
            const Bytes input = read_file(entry.path());
            target->run(input.data(), input.size());
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0);
}

TEST_P(EachTarget, WriterSeedsEndNormally) {
    for (const auto& [name, bytes] : writer_seeds(GetParam().name)) {
        const auto outcome = GetParam().run(bytes.data(), bytes.size());
        ASSERT_TRUE(outcome.has_value()) << name;
        EXPECT_EQ(outcome->error, 0) << name << "\n" << outcome->output;
    }
}

INSTANTIATE_TEST_SUITE_P(Fuzz, EachTarget, ::testing::ValuesIn(kTargets),
                         [](const auto& info) { return std::string(info.param.name); });

std::optional<Outcome> run(std::string_view target, const Bytes& input) {
    return find_target(target)->run(input.data(), input.size());
}

TEST(SceneTarget, RendersTheSeedsPictures) {
    for (const auto& [name, bytes] : writer_seeds("scene")) {
        ASSERT_TRUE(run("scene", bytes).has_value());
        const bool animated = name == "writer-animated" || name == "writer-resumed";
        const fs::path picture = Session::get().work() / (animated ? "zy_00002.tif" : "seed.tif");
        ASSERT_TRUE(fs::exists(picture)) << name;
        EXPECT_EQ(fs::file_size(picture), 196u + 4 * 4 * 3) << name;
    }
}

writer::Scene tiny_scene(int16_t res_x, int16_t frames) {
    writer::Scene scene;
    scene.shade.scene = "CAP";
    scene.settings.inf = writer::default_settings();
    scene.settings.inf.res_x = res_x;
    scene.settings.inf.frame_count = frames;
    scene.settings.surfaces.resize(1);
    scene.frames.resize(static_cast<std::size_t>(frames));
    return scene;
}

Bytes packed(const writer::Scene& scene) {
    return pack({writer::shade_file_bytes(scene.shade), writer::settings_file_bytes(scene.settings),
                 writer::frame_file_bytes(scene.frames)});
}

TEST(SceneTarget, CapsKeepRunsShort) {
    EXPECT_TRUE(run("scene", packed(tiny_scene(8, 2))).has_value());
    EXPECT_FALSE(run("scene", packed(tiny_scene(10, 1))).has_value());
    EXPECT_FALSE(run("scene", packed(tiny_scene(4, 3))).has_value());
}

TEST(SettingsTarget, CountsBeyondTheMachineAreRunAndStopWithError1) {
    writer::SettingsFile settings;
    settings.inf = writer::default_settings();
    settings.inf.n_tri = INT32_MAX;
    settings.inf.n_pnt = INT32_MAX;
    const auto outcome = run("settings", writer::settings_file_bytes(settings));
    ASSERT_TRUE(outcome.has_value());
    EXPECT_EQ(outcome->error, kErrMemory);
    // Between the harness's cap and the machine's memory the input is refused.
    settings.inf.n_pnt = 0;
    settings.inf.n_tri = 2000000;
    EXPECT_FALSE(run("settings", writer::settings_file_bytes(settings)).has_value());
}

TEST(Unpack, TakesWhatIsThereAndMarksAbsentFiles) {
    const Bytes input = {0, 0, 0, 2, 'a', 'b', 0x80, 0, 0, 0, 0, 0, 0, 9, 'c', 0, 0};
    const auto files = unpack(input);
    ASSERT_EQ(files.size(), 3u);
    ASSERT_TRUE(files[0].has_value());
    EXPECT_EQ(std::string(files[0]->begin(), files[0]->end()), "ab");
    EXPECT_FALSE(files[1].has_value());
    ASSERT_TRUE(files[2].has_value());
    EXPECT_EQ(files[2]->size(), 3u);  // announced 9, three bytes left
}

TEST(SceneFileNames, FollowTheFileLayerIntoTheWorkingFolder) {
    writer::Scene scene = tiny_scene(4, 1);
    scene.shade.directory = "C:/Scenes/";
    scene.shade.scene = "Ball";
    std::strcpy(scene.settings.inf.path, "..\\..\\");
    scene.settings.texture_names = {"../Up.IIM", "..", "D:pic.iim"};
    scene.settings.inf.n_img = 3;
    const Bytes shade = writer::shade_file_bytes(scene.shade);
    const Bytes settings = writer::settings_file_bytes(scene.settings);
    const std::vector<std::string> names = scene_file_names(shade, settings, kFirstTexture + 3);
    // The extension replaces from the last dot of the whole name, here the
    // second dot of "..\..\Ball".
    const std::vector<std::string> expected = {"zy_shade.xpa", "ball.inf", "..sys", "..brk",
                                               "up.iim",       "",         "D:pic.iim"};
    EXPECT_EQ(names, expected);
}

TEST(SessionDeathTest, RunThatDoesNotStopIsAFinding) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(Session::get().run({}, [] {}), "returned without the stop routine");
}

TEST(SessionDeathTest, FileBesideTheWorkingFolderIsAFinding) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(Session::get().run({},
                                    [] {
                                        std::ofstream("../escaped") << "x";
                                        ZY_STOP(kNormalEnd);
                                    }),
                 "file outside the working folder");
}

}  // namespace
}  // namespace zy::fuzz
