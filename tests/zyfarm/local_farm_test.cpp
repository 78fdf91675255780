// Whole farms on this machine: split, run and gather through the real zyfarm
// and zyray give the pictures of one zyray run, also after a task is killed.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "zyfarm/farm_scene.h"
#include "zyfarm/plan.h"
#include "zyfarm/task_state.h"

namespace zy::test {
namespace {

const writer::Scene& scene() {
    static const writer::Scene s = farm_scene(6, 48, 32);
    return s;
}

const Pictures& reference() {
    static const Pictures p = reference_pictures(scene());
    return p;
}

TEST(LocalFarm, AnyNumberOfTasksGivesTheSinglePicturesOfOneRun) {
    ASSERT_EQ(reference().size(), 6u);
    ASSERT_TRUE(reference().contains("zy_00001.tif") && reference().contains("zy_00006.tif"));
    // The animation really moves: a farm that renders one frame six times fails.
    EXPECT_NE(reference().at("zy_00001.tif"), reference().at("zy_00002.tif"));
    for (const int tasks : {1, 2, 4, 6}) {
        TempDir dir;
        write_farm_scene(dir / "scene", scene());
        const FarmRun run = run_zyfarm({"local", (dir / "scene").string(), std::to_string(tasks),
                                        (dir / "work").string(), (dir / "out").string()});
        ASSERT_EQ(run.status, 0) << tasks << " tasks: " << run.err;
        EXPECT_TRUE(pictures_in(dir / "out") == reference()) << tasks << " tasks";
    }
}

}  // namespace
}  // namespace zy::test
