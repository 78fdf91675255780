// gather and run facing tasks that have not finished or cannot finish.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "zyfarm/farm_error.h"
#include "zyfarm/farm_support.h"
#include "zyfarm/task_state.h"

namespace zy::test {
namespace {

// A split 6-frame animation in two tasks: task-000 frames 1 to 3, task-001 4 to 6.
struct SplitFarm {
    TempDir dir;
    fs::path work = dir / "work";
    fs::path out = dir / "out";
    SplitFarm() {
        write_farm_scene(dir / "scene", farm_scene(6, 8, 4));
        const FarmRun split = run_zyfarm({"split", (dir / "scene").string(), "2", work.string()});
        EXPECT_EQ(split.status, 0) << split.err;
    }
    FarmRun run(std::vector<std::string> tasks) {
        tasks.insert(tasks.begin(), {"run", work.string()});
        return run_zyfarm(tasks);
    }
    FarmRun gather() { return run_zyfarm({"gather", work.string(), out.string()}); }
};

void expect_refusal_naming(const FarmRun& run, const std::string& task, const std::string& what) {
    EXPECT_EQ(run.status, zyfarm::kNotDone);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.err.find(task), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(what), std::string::npos) << run.err;
}

TEST(Gather, RefusesNamingATaskThatHasNotFinishedAndCopiesNothing) {
    SplitFarm farm;
    ASSERT_EQ(farm.run({"0"}).status, 0);
    expect_refusal_naming(farm.gather(), "task-001", "has not started");
    // Stopped in the middle of its second frame.
    zyfarm::write_break_point(farm.work / "task-001" / "ball.brk", {4, 2});
    expect_refusal_naming(farm.gather(), "task-001", "frame 5, row 3");
    EXPECT_FALSE(fs::exists(farm.out));
}

TEST(Gather, RefusesNamingTheTaskOfAMissingPicture) {
    SplitFarm farm;
    ASSERT_EQ(farm.run({}).status, 0);
    fs::remove(farm.work / "task-001" / "zy_00005.tif");
    expect_refusal_naming(farm.gather(), "task-001", "zy_00005.tif");
    fs::remove(farm.work / "task-000" / "ball.brk");
    expect_refusal_naming(farm.gather(), "task-000", "not started");
}

TEST(Run, ReportsATaskZyrayCannotFinishWithZyraysAlert) {
    SplitFarm farm;
    // A frame file one byte short of the task's blocks: zyray refuses it.
    const fs::path frames = farm.work / "task-001" / "ball.sys";
    fs::resize_file(frames, fs::file_size(frames) - 1);
    const FarmRun run = farm.run({});
    EXPECT_EQ(run.status, zyfarm::kNotDone);
    EXPECT_NE(run.err.find("task-001"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("File format error!"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("task-000"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("1 of 2 tasks have finished"), std::string::npos) << run.out;
}

TEST(Run, RefusesAFolderThatWasNotSplitAndTaskNumbersOutsideThePlan) {
    SplitFarm farm;
    const FarmRun outside = farm.run({"2"});
    EXPECT_EQ(outside.status, zyfarm::kBadInput);
    EXPECT_NE(outside.err.find("from 0 to 1"), std::string::npos) << outside.err;
    const FarmRun unsplit = run_zyfarm({"run", (farm.dir / "scene").string()});
    EXPECT_EQ(unsplit.status, zyfarm::kBadInput);
    EXPECT_NE(unsplit.err.find("zyfarm.plan"), std::string::npos) << unsplit.err;
    // A plan whose tasks leave a frame out is refused at its line.
    const auto bytes = read_bytes(farm.work / "zyfarm.plan");
    std::string plan(bytes.begin(), bytes.end());
    plan.replace(plan.find("task 3 6"), 8, "task 4 6");
    std::ofstream(farm.work / "zyfarm.plan", std::ios::trunc) << plan;
    const FarmRun gap = farm.gather();
    EXPECT_EQ(gap.status, zyfarm::kBadInput);
    EXPECT_NE(gap.err.find("line 8"), std::string::npos) << gap.err;
}

// Whether some process waits for the flock of file, as /proc/locks shows it.
bool someone_waits_for_lock(const fs::path& file) {
    struct stat st {};
    if (stat(file.c_str(), &st) != 0) return false;
    std::ifstream locks("/proc/locks");
    char inode[32];
    std::snprintf(inode, sizeof inode, ":%ju ", static_cast<uintmax_t>(st.st_ino));
    for (std::string line; std::getline(locks, line);)
        if (line.find("-> FLOCK") != std::string::npos && line.find(inode) != std::string::npos) return true;
    return false;
}

TEST(Run, WaitsWhileAnotherRunRendersTheTask) {
    SplitFarm farm;
    const fs::path task = farm.work / "task-001";
    const int held = open((task / "zyfarm.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    const pid_t run = fork();
    if (run == 0) {
        const int null_fd = open("/dev/null", O_WRONLY);
        dup2(null_fd, STDOUT_FILENO);
        dup2(null_fd, STDERR_FILENO);
        execl(ZY_ZYFARM_PATH, "zyfarm", "run", farm.work.c_str(), "1", static_cast<char*>(nullptr));
        _exit(127);
    }
    // The run is blocked on the lock (the deadline only guards against a hang).
    int status = 0;
    bool waiting = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!(waiting = someone_waits_for_lock(task / "zyfarm.lock")) && waitpid(run, &status, WNOHANG) == 0 &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(waiting) << "zyfarm run did not wait for the lock";
    EXPECT_EQ(zyfarm::read_break_point(task / "ball.brk"), (zyfarm::BreakPoint{3, 0}));
    close(held);
    if (waiting) waitpid(run, &status, 0);
    else if (kill(run, SIGKILL) == 0) waitpid(run, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "zyfarm run did not go on once the lock was free";
    EXPECT_EQ(zyfarm::read_break_point(task / "ball.brk"), (zyfarm::BreakPoint{6, 0}));
}

}  // namespace
}  // namespace zy::test
