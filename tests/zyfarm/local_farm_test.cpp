// Whole farms on this machine: split, run and gather through the real zyfarm
// and zyray give the pictures of one zyray run, also after a task is killed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "zyfarm/farm_support.h"
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

// Starts zyray in folder as a child of ours.
pid_t start_zyray(const fs::path& folder) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int null_fd = open("/dev/null", O_WRONLY);
        if (chdir(folder.c_str()) != 0 || dup2(null_fd, STDOUT_FILENO) < 0) _exit(127);
        execl(ZY_ZYRAY_PATH, "zyray", static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

TEST(LocalFarm, ATaskKilledInTheMiddleOfAFrameResumesToTheSamePictures) {
    const writer::Scene scene = kill_scene();
    const Pictures expected = reference_pictures(scene);
    TempDir dir;
    write_farm_scene(dir / "scene", scene);
    ASSERT_EQ(run_zyfarm({"split", (dir / "scene").string(), "2", (dir / "work").string()}).status, 0);
    const fs::path task = dir / "work" / "task-001";  // frames 2 and 3

    const pid_t zyray = start_zyray(task);
    ASSERT_GT(zyray, 0);
    const bool caught = wait_until_mid_frame(task / "ball.brk", 2);
    kill(zyray, SIGKILL);
    int status = 0;
    waitpid(zyray, &status, 0);
    ASSERT_TRUE(caught) << "the task never reached the middle of its second frame";
    ASSERT_TRUE(WIFSIGNALED(status));
    const auto stopped = zyfarm::read_break_point(task / "ball.brk");
    ASSERT_TRUE(stopped && stopped->frame == 3 && stopped->line > 0) << "killed too late to test a resume";

    const FarmRun rest = run_zyfarm({"run", (dir / "work").string()});
    ASSERT_EQ(rest.status, 0) << rest.err;
    ASSERT_EQ(run_zyfarm({"gather", (dir / "work").string(), (dir / "out").string()}).status, 0);
    EXPECT_TRUE(pictures_in(dir / "out") == expected);
}

}  // namespace
}  // namespace zy::test
