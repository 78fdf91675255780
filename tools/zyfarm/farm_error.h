// The one way zyfarm reports a problem: one line for the user and an exit status.
#pragma once

#include <stdexcept>
#include <string>

namespace zy::zyfarm {

/// Exit status of a command that could not do its work because of its input
/// (command line, scene folder, work folder).
inline constexpr int kBadInput = 2;
/// Exit status when the input was sound but the work is not done (a task that
/// did not finish, a scheduler that refused a job).
inline constexpr int kNotDone = 1;

/// A problem worth one line on standard error; status is the exit status.
struct FarmError : std::runtime_error {
    FarmError(int status, const std::string& line) : std::runtime_error(line), status(status) {}
    int status;
};

/// Bad input: the line should name the file or argument and what is wrong.
inline FarmError bad_input(const std::string& line) { return {kBadInput, line}; }
/// Work not done: the line should name the task.
inline FarmError not_done(const std::string& line) { return {kNotDone, line}; }

}  // namespace zy::zyfarm
