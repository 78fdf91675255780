// zyray with arguments, run as a user runs it: pictures, names, resuming,
// videos, exit statuses and what it prints.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <fstream>

#include "support/test_support.h"
#include "writer/scene_reader.h"

namespace zy::test {
namespace {

const std::string kScene = std::string(ZY_EXAMPLES_DIR) + "/demo/scene.json";
const std::string kAnimation = std::string(ZY_EXAMPLES_DIR) + "/demo/animation.json";
const std::string kModel = std::string(ZY_EXAMPLES_DIR) + "/../tests/zyscene/data/camera_and_light.gltf";

struct FrontRun {
    int status = -1;
    std::string err;  ///< standard error; standard output is in out.txt
};

// Runs "zyray args" in folder. With stop_at_break ("frame line"), the stop
// shim halts its renderer the moment the break file holds that, and zyray then
// gets a Ctrl-C: the interruption lands there however loaded the machine is.
FrontRun front(const fs::path& folder, const std::string& args, const std::string& stop_at_break = "") {
    const fs::path marker = folder / "stopped";
    const std::string shim = stop_at_break.empty()
                                 ? ""
                                 : "export LD_PRELOAD='" + std::string(ZY_STOP_AT_PATH) + "' ZY_STOP_AT_BREAK='" +
                                       stop_at_break + "' ZY_STOP_ONCE='" + marker.string() +
                                       "' ASAN_OPTIONS=\"$ASAN_OPTIONS:verify_asan_link_order=0\" && ";
    const std::string command = "cd '" + folder.string() + "' && " + shim + "echo $$ && exec '" + ZY_ZYRAY_PATH + "' " +
                                args + " 2>&1 >out.txt </dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) throw std::runtime_error("cannot start zyray");
    FrontRun run;
    char line[4096];
    const int pid = std::fgets(line, sizeof line, pipe) ? std::atoi(line) : -1;
    if (!stop_at_break.empty()) {
        std::error_code ec;
        while (fs::file_size(marker, ec) == 0 || ec) usleep(10000);  // the shim writes it as it stops
        kill(pid, SIGINT);
    }
    while (std::fgets(line, sizeof line, pipe)) run.err += line;
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

void expect_same_pixels(const fs::path& png, const fs::path& tiff) {
    const Picture a = read_png(png), b = read_tiff(tiff);
    EXPECT_EQ(a.width, b.width) << png;
    EXPECT_EQ(a.height, b.height) << png;
    EXPECT_TRUE(a.rgb == b.rgb) << png << " and " << tiff << " differ";
}

TEST(Front, OneFramePngEqualsTheRenderersTiffWithTheOverrides) {
    TempDir dir;
    const FrontRun run = front(dir.path(), kScene + " --size 48x30 --aa 0 --depth 2 --work w -o demo.png");
    ASSERT_EQ(run.status, 0) << run.err;
    expect_same_pixels(dir / "demo.png", dir / "w/render/demo.tif");
    const RT_INF inf = writer::read_settings_file(read_bytes(dir / "w/scene/demo.inf")).inf;
    EXPECT_EQ(inf.res_x, 48);
    EXPECT_EQ(inf.res_y, 30);
    EXPECT_EQ(inf.aa_level, 0);
    EXPECT_EQ(inf.max_depth, 2);
    EXPECT_NE(run.err.find("wrote demo.png (1 frame, 48x30, "), std::string::npos) << run.err;

    const FrontRun again = front(dir.path(), kScene + " --size 48x30 --aa 0 --depth 2 --work w -o again.tif -q");
    ASSERT_EQ(again.status, 0);
    EXPECT_EQ(again.err, "");
    EXPECT_EQ(read_bytes(dir / "again.tif"), read_bytes(dir / "w/render/demo.tif"));
}

TEST(Front, FrameRangeKeepsTheFullAnimationsNumbersAndPixels) {
    TempDir dir;
    ASSERT_EQ(front(dir.path(), kAnimation + " --size 40x24 --frames 1-3 --work full -q").status, 0);
    const FrontRun run = front(dir.path(), kAnimation + " --size 40x24 --frames 2-3 -o out/a_##.png");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(fs::exists(dir / "out/a_01.png"));
    expect_same_pixels(dir / "out/a_02.png", dir / "full/render/zy_00002.tif");
    expect_same_pixels(dir / "out/a_03.png", dir / "full/render/zy_00003.tif");
    // Not on a terminal: one line per finished frame, then the summary.
    EXPECT_NE(run.err.find("frame 1 of 2 done"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("frame 2 of 2 done"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("wrote out/a_02.png ... out/a_03.png (2 frames, 40x24, "), std::string::npos) << run.err;
}

TEST(Front, InterruptedWorkResumesToTheSamePixels) {
    TempDir dir;
    const std::string args = kAnimation + " --size 64x40 --frames 1-3 --work w -o a_#.png";
    const FrontRun stopped = front(dir.path(), args, "1 0");
    EXPECT_EQ(stopped.status, 130) << stopped.err;
    EXPECT_NE(stopped.err.find("run the same command again to resume from w"), std::string::npos) << stopped.err;
    EXPECT_FALSE(fs::exists(dir / "a_1.png"));

    const FrontRun resumed = front(dir.path(), args);
    ASSERT_EQ(resumed.status, 0) << resumed.err;
    EXPECT_NE(resumed.err.find("resuming the render in w"), std::string::npos) << resumed.err;
    ASSERT_EQ(front(dir.path(), kAnimation + " --size 64x40 --frames 1-3 -o b_#.png -q").status, 0);
    for (const char* n : {"1", "2", "3"})
        EXPECT_TRUE(read_png(dir / ("a_" + std::string(n) + ".png")).rgb ==
                    read_png(dir / ("b_" + std::string(n) + ".png")).rgb)
            << "frame " << n;

    const FrontRun changed = front(dir.path(), kAnimation + " --size 64x40 --frames 1-2 --work w -o a_#.png");
    ASSERT_EQ(changed.status, 0) << changed.err;
    EXPECT_NE(changed.err.find("starting over"), std::string::npos) << changed.err;
}

TEST(Front, VideoHasEveryFrame) {
    TempDir dir;
    const FrontRun run = front(dir.path(), kAnimation + " --size 41x25 --frames 1-3 --video v.mp4 -q");
    ASSERT_EQ(run.status, 0) << run.err;
    FILE* probe = popen(("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                         "stream=nb_read_frames,pix_fmt,width -of csv=p=0 '" +
                         (dir / "v.mp4").string() + "'")
                            .c_str(),
                        "r");
    char line[256] = {};
    ASSERT_TRUE(std::fgets(line, sizeof line, probe));
    pclose(probe);
    EXPECT_STREQ(line, "42,yuv420p,3\n");
}

TEST(Front, ExitStatusesAndTheirLines) {
    TempDir dir;
    std::ofstream(dir / "bad.json") << "{\n  \"render\": {\"width\": -4}\n}\n";
    const std::string failing = std::string(ZY_CONFORMANCE_DIR) + "/06-vertex-index/input";
    const struct {
        std::string args;
        int status;
        std::string says;
    } cases[] = {
        {"-q", 2, "no scene given"},
        {kScene + " --bogus", 2, "unknown option --bogus"},
        {kScene + " --size 40", 2, "--size \"40\" is not of the form WxH"},
        {"bad.json", 2, "bad.json:2:"},
        {kAnimation + " -o plain.png", 2, "e.g. plain_####.png"},
        {kAnimation + " --frames 30-40", 2, "the scene has 24 frames"},
        {kScene + " --video v.avi", 2, "must end in .mp4 or .gif"},
        {kModel + " --camera Cam --size 16x12 -o m.png", 0, "wrote m.png"},
        {kModel + " --camera Nope", 2, "has no camera \"Nope\" (its cameras: Cam)"},
        {failing, 1, "test.sys: is not a valid scene file (error 6)"},
    };
    for (const auto& c : cases) {
        const FrontRun run = front(dir.path(), c.args);
        EXPECT_EQ(run.status, c.status) << c.args << "\n" << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << c.args << "\n" << run.err;
    }
    std::ifstream out(dir / "out.txt");
    std::string first;
    std::getline(out, first);
    EXPECT_EQ(first, "");  // the last run printed nothing on standard output
}

TEST(Front, HelpGoesToStandardOutput) {
    TempDir dir;
    ASSERT_EQ(front(dir.path(), "--help").status, 0);
    const auto text = read_bytes(dir / "out.txt");
    EXPECT_TRUE(std::string(text.begin(), text.end()).starts_with("usage: zyray SCENE [options]\n"));
}

}  // namespace
}  // namespace zy::test
