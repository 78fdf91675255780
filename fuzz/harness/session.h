// In-process runs of the renderer for the fuzz targets and their replay: a
// private working folder, captured standard output, a stop that is an
// ordinary outcome, and checks that every run ended the way a real one must.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace zy::fuzz {

/// A file to put into the working folder before a run.
struct InputFile {
    std::string name;               ///< plain file name, no folder
    std::span<const uint8_t> bytes;
};

/// How one run ended.
struct Outcome {
    int error = -1;      ///< error number the stop routine was called with
    std::string output;  ///< everything printed on standard output
};

/// One per process. Each run starts from fresh driver state in an empty
/// working folder. Afterwards the output must end with the alert of its error
/// (after the texture line for error 7) and the end line, all tracked memory
/// must be released and nothing may appear beside the working folder;
/// otherwise the process aborts, which the fuzzer reports as a finding.
class Session {
public:
    static Session& get();

    /// Writes files, then runs body (which must end through the stop routine).
    Outcome run(const std::vector<InputFile>& files, void (*body)());

    const std::filesystem::path& work() const { return work_; }

    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

private:
    Session();
    ~Session();

    std::filesystem::path root_;  // private folder holding only work_
    std::filesystem::path work_;  // the working folder of every run
    int saved_stdout_ = -1;
    int capture_ = -1;            // unlinked file standing in for standard output
};

/// The plain name under which the file layer opens name in the working
/// folder; empty when it would open nothing there.
std::string working_name(const std::string& name);

}  // namespace zy::fuzz
