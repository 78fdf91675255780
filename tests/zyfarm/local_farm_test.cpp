// Whole farms on this machine: split, run and gather through the real zyfarm
// and zyray give the pictures of one zyray run.
#include <gtest/gtest.h>

#include "zyfarm/farm_support.h"

namespace zy::test {
namespace {

TEST(LocalFarm, AnyNumberOfTasksGivesTheSinglePicturesOfOneRun) {
    const writer::Scene scene = farm_scene(6, 48, 32);
    const Pictures reference = reference_pictures(scene);
    ASSERT_EQ(reference.size(), 6u);
    ASSERT_TRUE(reference.contains("zy_00001.tif") && reference.contains("zy_00006.tif"));
    // The animation really moves: a farm that renders one frame six times fails.
    EXPECT_NE(reference.at("zy_00001.tif"), reference.at("zy_00002.tif"));
    for (const int tasks : {1, 2, 4, 6}) {
        TempDir dir;
        write_farm_scene(dir / "scene", scene);
        const FarmRun run = run_zyfarm({"local", (dir / "scene").string(), std::to_string(tasks),
                                        (dir / "work").string(), (dir / "out").string()});
        ASSERT_EQ(run.status, 0) << tasks << " tasks: " << run.err;
        EXPECT_TRUE(pictures_in(dir / "out") == reference) << tasks << " tasks";
    }
}

}  // namespace
}  // namespace zy::test
