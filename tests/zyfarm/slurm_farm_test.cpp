// Farms through a real single-node Slurm cluster, which the tests start from
// the repository's scripts and stop afterwards with nothing left running. A
// machine that cannot run the cluster fails these tests; it does not skip them.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "zyfarm/farm_support.h"
#include "zyfarm/task_state.h"

namespace zy::test {
namespace {

// True while pid names a process that has not ended (a zombie has ended).
bool running(const std::string& pid) {
    std::ifstream stat("/proc/" + pid + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return false;
    const auto close = line.rfind(')');
    return close != std::string::npos && line.size() > close + 2 && line[close + 2] != 'Z';
}

class Cluster {
public:
    Cluster() {
        const FarmRun start = run_shell(quoted(std::string(ZY_CLUSTER_DIR) + "/start-cluster") + " " +
                                        quoted(state_.path().string()) + " 2>&1");
        started_ = start.status == 0;
        log_ = "start-cluster ended with status " + std::to_string(start.status) + "\n" + start.out;
        if (started_) setenv("SLURM_CONF", (state_ / "slurm.conf").c_str(), 1);
    }
    ~Cluster() {
        std::vector<std::string> pids;
        for (const char* file : {"slurmd.pid", "slurmctld.pid", "munge/munged.pid"}) {
            std::ifstream in(state_ / file);
            std::string pid;
            if (in >> pid) pids.push_back(pid);
        }
        const FarmRun stop = run_shell(quoted(std::string(ZY_CLUSTER_DIR) + "/stop-cluster") + " " +
                                       quoted(state_.path().string()) + " 2>&1");
        unsetenv("SLURM_CONF");
        EXPECT_EQ(stop.status, 0) << stop.out;
        for (const auto& pid : pids) EXPECT_FALSE(running(pid)) << "daemon " << pid << " left running";
    }
    bool started() const { return started_; }
    const std::string& log() const { return log_; }

private:
    TempDir state_;
    bool started_ = false;
    std::string log_;
};

class SlurmFarm : public ::testing::Test {
protected:
    static void SetUpTestSuite() { cluster_ = std::make_unique<Cluster>(); }
    static void TearDownTestSuite() { cluster_.reset(); }
    void SetUp() override { ASSERT_TRUE(cluster_->started()) << "cannot start the test cluster:\n" << cluster_->log(); }

    static inline std::unique_ptr<Cluster> cluster_;
};

// "array ID" and "gather ID", as zyfarm slurm prints them.
struct Jobs {
    std::string array, gather;
};

Jobs submit(const fs::path& dir, int tasks) {
    const FarmRun run = run_zyfarm(
        {"slurm", (dir / "scene").string(), std::to_string(tasks), (dir / "work").string(), (dir / "out").string()});
    EXPECT_EQ(run.status, 0) << run.err;
    Jobs jobs;
    std::istringstream lines(run.out);
    for (std::string key, id; lines >> key >> id;) (key == "array" ? jobs.array : jobs.gather) = id;
    EXPECT_FALSE(jobs.array.empty() || jobs.gather.empty()) << run.out;
    return jobs;
}

// Slurm's state of a job and the reason it waits, e.g. "PENDING Dependency".
std::string job_state(const std::string& job) {
    std::string state = run_shell("squeue -h -t all -j " + quoted(job) + " -o '%T %r' 2>&1").out;
    while (!state.empty() && (state.back() == '\n' || state.back() == ' ')) state.pop_back();
    return state;
}

// Waits until the job has ended (or can never run) and returns its state.
std::string wait_for_end(const std::string& job) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(150);
    std::string state;
    while (std::chrono::steady_clock::now() < deadline) {
        state = job_state(job);
        const bool waiting = state.starts_with("PENDING") || state.starts_with("RUNNING") ||
                             state.starts_with("CONFIGURING") || state.starts_with("COMPLETING") ||
                             state.starts_with("REQUEUED");
        if (!waiting || state.find("DependencyNeverSatisfied") != std::string::npos) return state;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return "still " + state;
}

TEST_F(SlurmFarm, AnyNumberOfTasksGivesTheSinglePicturesOfOneRun) {
    const writer::Scene scene = farm_scene(6, 48, 32);
    const Pictures expected = reference_pictures(scene);
    ASSERT_EQ(expected.size(), 6u);
    const int counts[] = {1, 2, 4, 6};
    std::vector<std::unique_ptr<TempDir>> dirs;
    std::vector<Jobs> jobs;
    for (const int tasks : counts) {  // all in the queue at once
        dirs.push_back(std::make_unique<TempDir>());
        write_farm_scene(*dirs.back() / "scene", scene);
        jobs.push_back(submit(dirs.back()->path(), tasks));
    }
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        SCOPED_TRACE(std::to_string(counts[i]) + " tasks");
        EXPECT_TRUE(wait_for_end(jobs[i].gather).starts_with("COMPLETED")) << job_state(jobs[i].gather);
        EXPECT_TRUE(pictures_in(*dirs[i] / "out") == expected);
    }
}

// Waits until the break file shows a render in the middle of a frame after
// the first of its task (frame > first, line > 0); false after 60 seconds.
bool wait_until_mid_frame(const fs::path& break_file, int first) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
        const auto point = zyfarm::read_break_point(break_file);
        if (point && point->frame > first && point->line > 0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

TEST_F(SlurmFarm, ATaskKilledMidFrameAndRequeuedResumesToTheSamePictures) {
    const writer::Scene scene = farm_scene(4, 320, 240);  // big enough to be caught mid-frame
    const Pictures expected = reference_pictures(scene);
    TempDir dir;
    write_farm_scene(dir / "scene", scene);
    const Jobs jobs = submit(dir.path(), 2);
    const fs::path task = dir / "work" / "task-001";  // frames 2 and 3
    const std::string killed = jobs.array + "_1";

    ASSERT_TRUE(wait_until_mid_frame(task / "ball.brk", 2)) << job_state(killed);
    const FarmRun kill = run_shell("scancel --signal=KILL " + quoted(killed) + " 2>&1");
    ASSERT_EQ(kill.status, 0) << kill.out;
    EXPECT_TRUE(wait_for_end(killed).starts_with("CANCELLED")) << job_state(killed);
    const auto stopped = zyfarm::read_break_point(task / "ball.brk");
    ASSERT_TRUE(stopped && stopped->frame == 3 && stopped->line > 0) << "killed too late to test a resume";

    const FarmRun requeue = run_zyfarm({"requeue", (dir / "work").string(), "1"});
    ASSERT_EQ(requeue.status, 0) << requeue.err;
    EXPECT_TRUE(wait_for_end(jobs.gather).starts_with("COMPLETED")) << job_state(jobs.gather);
    EXPECT_TRUE(job_state(killed).starts_with("COMPLETED")) << job_state(killed);
    EXPECT_TRUE(pictures_in(dir / "out") == expected);
}

}  // namespace
}  // namespace zy::test
