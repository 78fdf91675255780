#include "zyfarm/process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "zyfarm/farm_error.h"

namespace zy::zyfarm {

namespace {

std::vector<char*> argv_of(std::vector<std::string>& words) {
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    return argv;
}

Ending ending_of(int wait_status) {
    if (WIFSIGNALED(wait_status)) return {128 + WTERMSIG(wait_status), WTERMSIG(wait_status)};
    return {WEXITSTATUS(wait_status), 0};
}

}  // namespace

std::string Ending::describe() const {
    if (signal != 0) return "was ended by signal " + std::to_string(signal) + " (" + strsignal(signal) + ")";
    return "exited with status " + std::to_string(status);
}

pid_t start_in_folder(const fs::path& program, const std::vector<std::string>& args, const fs::path& folder,
                      const fs::path& log, const Environment& environment) {
    std::vector<std::string> words{program.string()};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv = argv_of(words);
    std::vector<std::string> variables;
    for (char** v = environ; *v != nullptr; ++v) {
        const std::string variable = *v;
        const bool replaced = std::any_of(environment.begin(), environment.end(), [&](const auto& e) {
            return variable.starts_with(e.first + "=");
        });
        if (!replaced) variables.push_back(variable);
    }
    for (const auto& [name, value] : environment) variables.push_back(name + "=" + value);
    std::vector<char*> envp = argv_of(variables);
    const int log_fd = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (log_fd < 0) throw not_done(log.string() + ": cannot be written: " + std::strerror(errno));
    const pid_t pid = fork();
    if (pid == 0) {
        // Only async-signal-safe calls until exec, then _exit on any failure.
        if (chdir(folder.c_str()) != 0 || dup2(log_fd, STDOUT_FILENO) < 0 || dup2(log_fd, STDERR_FILENO) < 0) _exit(127);
        const int null_fd = open("/dev/null", O_RDONLY);
        if (null_fd >= 0) dup2(null_fd, STDIN_FILENO);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(log_fd);
    if (pid < 0) throw not_done(std::string("cannot start ") + program.string() + ": " + std::strerror(errno));
    return pid;
}

std::pair<pid_t, Ending> wait_any() {
    int status = 0;
    pid_t pid;
    do {
        pid = waitpid(-1, &status, 0);
    } while (pid < 0 && errno == EINTR);
    return {pid, ending_of(status)};
}

Captured run_captured(const std::vector<std::string>& command) {
    std::vector<std::string> words = command;
    std::vector<char*> argv = argv_of(words);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return {{127, 0}, std::strerror(errno)};
    const pid_t pid = fork();
    if (pid == 0) {
        if (dup2(fds[1], STDOUT_FILENO) < 0 || dup2(fds[1], STDERR_FILENO) < 0) _exit(127);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    Captured result;
    char buffer[4096];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        result.output.append(buffer, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    if (pid < 0) return {{127, 0}, std::strerror(errno)};
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.ending = ending_of(status);
    return result;
}

fs::path own_executable() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec) throw not_done("cannot find the zyfarm program itself: " + ec.message());
    return self;
}

}  // namespace zy::zyfarm
