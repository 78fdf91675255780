#include "zyfarm/task_runner.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <thread>

#include "zyfarm/farm_error.h"
#include "zyfarm/process.h"
#include "zyfarm/task_state.h"

namespace zy::zyfarm {

namespace {

bool executable(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec) && access(path.c_str(), X_OK) == 0;
}

// The last alert line zyray printed into log after offset, if any: it says
// why a run stopped.
std::string last_alert(const fs::path& log, std::uintmax_t offset) {
    std::ifstream in(log);
    in.seekg(static_cast<std::streamoff>(offset));
    std::string line, alert;
    while (std::getline(in, line))
        if (line.starts_with("[1][")) alert = line;
    return alert;
}

// OpenMP threads per zyray: the machine's threads shared by the runs at a
// time, unless the user chose a number.
Environment thread_environment(int parallel) {
    if (std::getenv("OMP_NUM_THREADS") != nullptr) return {};
    const int threads = std::max(1, static_cast<int>(std::thread::hardware_concurrency()) / std::max(1, parallel));
    return {{"OMP_NUM_THREADS", std::to_string(threads)}};
}

// One zyray at a time in a task folder, whoever started it (a local run, a
// requeued Slurm task while the node of the first one still runs it). The
// lock belongs to the open file, which the zyray started next inherits: it
// holds while that zyray lives, even when the zyfarm that started it is gone.
int lock_task(const fs::path& folder, const std::string& task) {
    const fs::path file = folder / kTaskLock;
    const int fd = open(file.c_str(), O_RDWR | O_CREAT, 0644);
    if (fd < 0) throw not_done(file.string() + ": cannot be opened: " + std::strerror(errno));
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        std::cerr << "zyfarm: " << task << " is being rendered by another run; waiting for it to end\n";
        while (flock(fd, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    return fd;
}

// A band task's zyray stops every frame after the band's last row.
std::vector<std::string> zyray_arguments(const TaskShare& share) {
    if (!share.is_band()) return {};
    return {"--rows-until", std::to_string(share.end_line)};
}

}  // namespace

fs::path find_zyray() {
    const fs::path beside = own_executable().parent_path() / "zyray";
    if (executable(beside)) return beside;
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');)
        if (!folder.empty() && executable(fs::path(folder) / "zyray")) return fs::path(folder) / "zyray";
    throw not_done("cannot find zyray beside zyfarm or on PATH");
}

std::vector<std::string> run_tasks(const fs::path& work, const FarmPlan& plan, const std::vector<std::size_t>& tasks,
                                   int jobs) {
    std::vector<std::size_t> waiting;
    for (std::size_t i : tasks)
        if (!unfinished_reason(work, plan, i).empty()) waiting.push_back(i);
    const int parallel = std::min<int>(std::max(1, jobs), static_cast<int>(waiting.size()));
    const fs::path zyray = waiting.empty() ? fs::path() : find_zyray();
    const Environment environment = thread_environment(parallel);

    std::map<pid_t, std::size_t> running;
    std::map<std::size_t, Ending> endings;
    std::map<std::size_t, std::uintmax_t> log_starts;
    auto next = waiting.begin();
    while (next != waiting.end() || !running.empty()) {
        if (next != waiting.end() && static_cast<int>(running.size()) < parallel) {
            const std::size_t task = *next++;
            const fs::path folder = work / plan.task_folder(task);
            const int lock = lock_task(folder, plan.describe(task));
            // The run that held the lock may have finished the task.
            if (!unfinished_reason(work, plan, task).empty()) {
                // Without its break file zyray would start at frame 0, which a
                // task folder does not hold: start afresh at the task's start.
                if (!read_break_point(folder / plan.break_file)) write_task_start(work, plan, task);
                std::error_code ec;
                const std::uintmax_t size = fs::file_size(folder / kTaskLog, ec);
                log_starts[task] = ec ? 0 : size;
                running[start_in_folder(zyray, zyray_arguments(plan.tasks[task]), folder, folder / kTaskLog,
                                        environment)] = task;
            }
            close(lock);
            continue;
        }
        const auto [pid, ending] = wait_any();
        if (pid < 0) break;
        const auto found = running.find(pid);
        if (found == running.end()) continue;
        endings[found->second] = ending;
        running.erase(found);
    }

    std::vector<std::string> unfinished;
    for (std::size_t i : tasks) {
        const std::string reason = unfinished_reason(work, plan, i);
        if (reason.empty()) continue;
        std::string line = plan.describe(i) + " " + reason;
        // zyray always exits with status 1; only a signal tells more than its alert.
        if (endings.contains(i) && endings[i].signal != 0) line += "; zyray " + endings[i].describe();
        const std::string alert = last_alert(work / plan.task_folder(i) / kTaskLog, log_starts[i]);
        if (!alert.empty()) line += "; zyray said " + alert;
        unfinished.push_back(line);
    }
    return unfinished;
}

}  // namespace zy::zyfarm
