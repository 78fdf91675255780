#include "pictures/child_process.h"

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <stdexcept>

namespace zy::pictures {

Child spawn(const std::vector<std::string>& argv, const std::filesystem::path& folder, PipeTo pipe_to,
            const std::vector<std::pair<std::string, std::string>>& environment) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("cannot make a pipe: ") + std::strerror(errno));
    const bool to_stdout = pipe_to == PipeTo::ChildStdout;
    const int child_end = to_stdout ? ends[1] : ends[0];
    const int our_end = to_stdout ? ends[0] : ends[1];
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error(std::string("cannot start ") + argv[0] + ": " + std::strerror(errno));
    if (pid == 0) {
        // Only what is safe between fork and exec; _exit on any failure.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(127);
        if (dup2(child_end, to_stdout ? STDOUT_FILENO : STDIN_FILENO) < 0 || chdir(folder.c_str()) != 0) _exit(127);
        for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(child_end);
    return {pid, our_end};
}

int wait_for(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

bool on_path(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');)
        if (!folder.empty() && access((std::filesystem::path(folder) / program).c_str(), X_OK) == 0) return true;
    return false;
}

}  // namespace zy::pictures
