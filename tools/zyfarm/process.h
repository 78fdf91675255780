// Starting programs: zyray in a task folder, the scheduler's commands.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace zy::zyfarm {

namespace fs = std::filesystem;

/// How a child process ended: its exit status, or the signal that ended it.
struct Ending {
    int status = 0;
    int signal = 0;  ///< 0 when it exited
    std::string describe() const;
};

/// Environment variables set for a child in addition to ours.
using Environment = std::vector<std::pair<std::string, std::string>>;

/// Starts program (a path) with args in folder, standard output and error
/// appended to log. Throws a not-done FarmError when it cannot be started.
pid_t start_in_folder(const fs::path& program, const std::vector<std::string>& args, const fs::path& folder,
                      const fs::path& log, const Environment& environment);

/// Waits for any child of ours to end.
std::pair<pid_t, Ending> wait_any();

/// What a finished command printed.
struct Captured {
    Ending ending;
    std::string output;  ///< standard output and error together
};

/// Runs a command found on PATH with the arguments and waits for it; a command
/// that cannot be started ends with status 127.
Captured run_captured(const std::vector<std::string>& command);

/// The path of the running zyfarm.
fs::path own_executable();

}  // namespace zy::zyfarm
