// Farms through a real single-node Slurm cluster, which the tests start from
// the repository's scripts and stop afterwards with nothing left running. A
// machine that cannot run the cluster fails these tests; it does not skip them.
#include <gtest/gtest.h>

#include <signal.h>

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

class Cluster {
public:
    Cluster() {
        const FarmRun start = run_command(quoted(std::string(ZY_CLUSTER_DIR) + "/start-cluster") + " " +
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
        const FarmRun stop = run_command(quoted(std::string(ZY_CLUSTER_DIR) + "/stop-cluster") + " " +
                                       quoted(state_.path().string()) + " 2>&1");
        unsetenv("SLURM_CONF");
        EXPECT_EQ(stop.status, 0) << stop.out;
        for (const auto& pid : pids) {
            const char state = process_state(pid);
            EXPECT_TRUE(state == '\0' || state == 'Z') << "daemon " << pid << " left running";
        }
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
    std::string state = run_command("squeue -h -t all -j " + quoted(job) + " -o '%T %r' 2>&1").out;
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
    const FarmCase cases[] = {{6, 1}, {6, 2}, {6, 4}, {6, 6}, {1, 3}, {1, 5}, {2, 5}};
    std::vector<std::unique_ptr<TempDir>> dirs;
    std::vector<Jobs> jobs;
    for (const FarmCase& c : cases) {  // all in the queue at once
        dirs.push_back(std::make_unique<TempDir>());
        write_farm_scene(*dirs.back() / "scene", farm_scene(static_cast<int16_t>(c.frames), 48, 32));
        jobs.push_back(submit(dirs.back()->path(), c.tasks));
    }
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        SCOPED_TRACE(std::to_string(cases[i].frames) + " frames, " + std::to_string(cases[i].tasks) + " tasks");
        EXPECT_TRUE(wait_for_end(jobs[i].gather).starts_with("COMPLETED")) << job_state(jobs[i].gather);
        EXPECT_TRUE(pictures_in(*dirs[i] / "out") ==
                    reference_pictures(farm_scene(static_cast<int16_t>(cases[i].frames), 48, 32)));
    }
}

TEST_F(SlurmFarm, ABandTaskKilledMidBandAndRequeuedResumesToTheSamePicture) {
    const writer::Scene scene = farm_scene(1, 96, 64);
    const Pictures expected = reference_pictures(scene);
    TempDir dir;
    write_farm_scene(dir / "scene", scene);
    const zyfarm::BreakPoint mid_frame{0, 30};  // inside task-001's rows 21 to 42
    Jobs jobs;
    {
        const StopShim shim(mid_frame.frame, mid_frame.line, dir / "stopped");
        jobs = submit(dir.path(), 3);
    }
    const fs::path task = dir / "work" / "task-001";
    const std::string killed = jobs.array + "_1";

    // Killed where it stopped, as a failing node would kill it (Slurm's own
    // kill would first let it go on with a SIGCONT).
    const std::string zyray = wait_for_stopped(dir / "stopped");
    ASSERT_FALSE(zyray.empty()) << job_state(killed);
    EXPECT_EQ(zyfarm::read_break_point(task / "ball.brk"), mid_frame);
    ASSERT_EQ(kill(std::stoi(zyray), SIGKILL), 0);
    EXPECT_TRUE(wait_for_end(killed).starts_with("FAILED")) << job_state(killed);
    EXPECT_EQ(zyfarm::read_break_point(task / "ball.brk"), mid_frame);

    const FarmRun requeue = run_zyfarm({"requeue", (dir / "work").string(), "1"});
    ASSERT_EQ(requeue.status, 0) << requeue.err;
    EXPECT_TRUE(wait_for_end(jobs.gather).starts_with("COMPLETED")) << job_state(jobs.gather);
    EXPECT_TRUE(job_state(killed).starts_with("COMPLETED")) << job_state(killed);
    EXPECT_TRUE(pictures_in(dir / "out") == expected);
}

}  // namespace
}  // namespace zy::test
