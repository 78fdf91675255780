// Running another program with one end of a pipe: the renderer (its standard
// output read) and ffmpeg (its standard input written).
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace zy::pictures {

/// Which of the child's standard streams the pipe replaces.
enum class PipeTo { ChildStdout, ChildStdin };

struct Child {
    pid_t pid = -1;
    int fd = -1;  ///< our end of the pipe
};

/// Starts argv[0] (searched in PATH) in folder with the extra environment
/// variables set. The child dies with us. Throws std::runtime_error.
Child spawn(const std::vector<std::string>& argv, const std::filesystem::path& folder, PipeTo pipe_to,
            const std::vector<std::pair<std::string, std::string>>& environment = {});

/// Waits for the child; returns its waitpid status.
int wait_for(pid_t pid);

/// True when program is an executable file in one of PATH's folders.
bool on_path(const std::string& program);

}  // namespace zy::pictures
