// Whole farms on this machine: split, run and gather through the real zyfarm
// and zyray give the pictures of one zyray run, as frame ranges and as bands.
#include <gtest/gtest.h>

#include "zyfarm/farm_support.h"

namespace zy::test {
namespace {

TEST(LocalFarm, AnyNumberOfTasksGivesTheSinglePicturesOfOneRun) {
    const FarmCase cases[] = {{6, 1}, {6, 2}, {6, 4}, {6, 6}, {1, 1}, {1, 3}, {1, 5}, {2, 5}};
    for (const FarmCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.frames) + " frames, " + std::to_string(c.tasks) + " tasks");
        const writer::Scene scene = farm_scene(static_cast<int16_t>(c.frames), 48, 33);
        TempDir dir;
        write_farm_scene(dir / "scene", scene);
        const FarmRun run = run_zyfarm({"local", (dir / "scene").string(), std::to_string(c.tasks),
                                        (dir / "work").string(), (dir / "out").string()});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(pictures_in(dir / "out") == reference_pictures(scene));
    }
}

TEST(LocalFarm, StatusHalfDoneAndFinishedAndPngPixelsOfTheTiffs) {
    TempDir dir;
    write_farm_scene(dir / "scene", farm_scene(1, 48, 32));
    const fs::path work = dir / "work";
    ASSERT_EQ(run_zyfarm({"split", (dir / "scene").string(), "2", work.string()}).status, 0);
    ASSERT_EQ(run_zyfarm({"run", work.string(), "1"}).status, 0);
    const FarmRun half = run_zyfarm({"status", work.string()});
    EXPECT_EQ(half.status, 0) << half.err;
    for (const char* line : {"task-000 (frame 1, rows 1 to 16)   [--------------------]  0 of 16 rows\n",
                             "task-001 (frame 1, rows 17 to 32)  [####################]  16 of 16 rows\n",
                             "job: 50% done in 2 tasks, "})
        EXPECT_NE(half.out.find(line), std::string::npos) << half.out;

    ASSERT_EQ(run_zyfarm({"run", work.string()}).status, 0);
    const FarmRun done = run_zyfarm({"status", "--watch", work.string()});  // ends: nothing left to watch
    EXPECT_NE(done.out.find("job: 100% done in 2 tasks, finished in "), std::string::npos) << done.out;

    ASSERT_EQ(run_zyfarm({"gather", work.string(), (dir / "tif").string()}).status, 0);
    ASSERT_EQ(run_zyfarm({"gather", "--png", work.string(), (dir / "png").string()}).status, 0);
    const Picture tiff = read_tiff(dir / "tif" / "ball.tif"), png = read_png(dir / "png" / "ball.png");
    EXPECT_EQ(std::tuple(png.width, png.height, png.rgb), std::tuple(tiff.width, tiff.height, tiff.rgb));
}

}  // namespace
}  // namespace zy::test
