// The real zyscene executable: exit status, messages, and what it does to OUTDIR.
#include <gtest/gtest.h>
#include <stb/stb_image_write.h>

#include <algorithm>

#include "zyscene_fixture.h"

namespace zy::zyscene::test {
namespace {

using zy::test::TempDir;

// box.json: a white box, lit by its own ambient share only and showing the
// pixel of a one-pixel green image, crosses the middle of a black picture:
// there in frame 2 only.
void write_box(const fs::path& folder) {
    const uint8_t green[] = {0, 255, 0};
    ASSERT_NE(stbi_write_png((folder / "green.png").string().c_str(), 1, 1, 3, green, 3), 0);
    fs::copy_file(fs::path(ZY_TEST_DATA) / "box.json", folder / "box.json");
}

std::vector<std::string> listing(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(Cli, CompilesIntoOutdirWithTheTextureAndZyrayRendersEachFrame) {
    TempDir dir;
    write_box(dir.path());
    fs::create_directory(dir / "out");
    write_text(dir / "out", "notes.txt", "mine");

    const CliRun run = run_zyscene(dir.path(), {"--verbose", "box.json", "out"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "zyscene: warning: no object is in the camera's view at frame 1 and 1 more of the 3\n");
    const std::vector<std::string> written{"box.inf", "box.sys", "box.t00", "zy_shade.xpa"};
    EXPECT_EQ(listing(dir / "out"),
              (std::vector<std::string>{"box.inf", "box.sys", "box.t00", "notes.txt", "zy_shade.xpa"}));
    EXPECT_EQ(zy::test::read_bytes(dir / "out" / "notes.txt"), (std::vector<uint8_t>{'m', 'i', 'n', 'e'}));
    std::uintmax_t bytes = 0;
    for (const auto& name : written) bytes += fs::file_size(dir / "out" / name);
    EXPECT_EQ(run.out, "zyscene: object 0 \"0\": [-22, -2, -2] to [22, 2, 2], 44 x 4 x 4\n"
                       "zyscene: wrote out: 12 triangles, 8 points, 0 lights, 1 image, 3 frames, "
                       "scene box [-22, -2, -2] to [22, 2, 2], " +
                           std::to_string(bytes) + " bytes\n");
    EXPECT_EQ(listing(dir.path()),
              (std::vector<std::string>{"box.json", "green.png", "out"}));  // no staging folder left

    zy::test::run_zyray(dir / "out");
    for (int k = 1; k <= 3; ++k) {
        const auto picture = zy::test::read_tiff(dir / "out" / ("zy_0000" + std::to_string(k) + ".tif"));
        ASSERT_EQ(std::pair(picture.width, picture.height), std::pair(8u, 6u));
        const uint8_t* centre = picture.pixel(4, 3);
        EXPECT_EQ(std::vector<uint8_t>(centre, centre + 3), (std::vector<uint8_t>{0, uint8_t(k == 2 ? 255 : 0), 0}))
            << "frame " << k;
    }
}

TEST(Cli, AFailedRunLeavesOutdirAsItWas) {
    TempDir dir;
    // The fault lies in the second mesh, after everything else has been read.
    write_text(dir.path(), "bad.json", R"({"surfaces": {"s": {}}, "camera": {"eye": [0, 0, -1], "look_at": [0, 0, 0]},
      "objects": [{"box": {}, "surface": "s"}, {"mesh": "missing.obj", "surface": "s"}]})");
    fs::create_directory(dir / "out");
    write_text(dir / "out", "scene.inf", "old settings");
    write_text(dir / "out", "zy_shade.xpa", "old shade");

    const CliRun run = run_zyscene(dir.path(), {"bad.json", "out"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "zyscene: bad.json:2:57: /objects/1/mesh: mesh file \"missing.obj\" not found (looked for " +
                           (dir / "missing.obj").string() + ")\n");
    EXPECT_EQ(listing(dir / "out"), (std::vector<std::string>{"scene.inf", "zy_shade.xpa"}));
    const std::string old = "old settings";
    EXPECT_EQ(zy::test::read_bytes(dir / "out" / "scene.inf"), std::vector<uint8_t>(old.begin(), old.end()));
    EXPECT_EQ(listing(dir.path()), (std::vector<std::string>{"bad.json", "out"}));

    const CliRun fresh = run_zyscene(dir.path(), {"bad.json", "new"});
    EXPECT_EQ(fresh.status, 2);
    EXPECT_FALSE(fs::exists(dir / "new"));
}

TEST(Cli, WarnsOfABreakFileThatWouldResumeTheRender) {
    TempDir dir;
    write_box(dir.path());
    fs::create_directory(dir / "out");
    write_text(dir / "out", "box.brk", "");
    const CliRun run = run_zyscene(dir.path(), {"box.json", "out"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("zyscene: warning: out/box.brk exists"), std::string::npos) << run.err;
}

TEST(Cli, HelpVersionAndUsage) {
    TempDir dir;
    const CliRun help = run_zyscene(dir.path(), {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: zyscene [--verbose] SCENE.json OUTDIR\n", 0), 0u);
    const CliRun version = run_zyscene(dir.path(), {"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("zyscene ") + ZYSCENE_VERSION + "\n");
    for (const auto& args : {std::vector<std::string>{}, {"only.json"}, {"a.json", "b", "c"}, {"--frames", "x"}}) {
        const CliRun bad = run_zyscene(dir.path(), args);
        EXPECT_EQ(bad.status, 2);
        EXPECT_EQ(bad.out, "");
        EXPECT_EQ(bad.err.rfind("usage: zyscene", 0), 0u);
    }
    const CliRun missing = run_zyscene(dir.path(), {"nothing.json", "out"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "zyscene: nothing.json: cannot open the description (looked for " +
                               (dir / "nothing.json").string() + ")\n");
}

}  // namespace
}  // namespace zy::zyscene::test
