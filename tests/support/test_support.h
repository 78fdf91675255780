// Helpers shared by the test programs: temporary working folders, running the
// real zyray, reading pictures back through libtiff, and observing a stop
// in-process.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "writer/scene_writer.h"

namespace zy::test {

namespace fs = std::filesystem;

/// A fresh folder under the system's temporary directory, removed afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }

private:
    fs::path path_;
};

/// What a whole-program run shows a user.
struct RunResult {
    int status = -1;     ///< exit status, -1 when killed by a signal
    std::string output;  ///< standard output
};

/// What a shell command shows.
struct CommandRun {
    int status = -1;  ///< exit status, -1 when killed by a signal
    std::string out, err;
};

/// Runs a shell command with no input.
CommandRun run_command(const std::string& command);

/// Runs the real zyray in folder (extra environment assignments optional, e.g.
/// "OMP_NUM_THREADS=1").
RunResult run_zyray(const fs::path& folder, const std::string& environment = "");

/// Replaces "ligne <digits>|" by "ligne N|".
std::string mask_line_numbers(const std::string& text);

std::vector<uint8_t> read_bytes(const fs::path& path);

/// A picture read back through libtiff.
struct Picture {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> rgb;  ///< rows top to bottom, 3 bytes per pixel
    const uint8_t* pixel(uint32_t x, uint32_t y) const { return &rgb[(y * width + x) * 3]; }
};
/// Reads an uncompressed RGB TIFF; throws std::runtime_error when libtiff refuses it.
Picture read_tiff(const fs::path& path);
/// Decodes a PNG with stb_image, as any viewer would; throws std::runtime_error.
Picture read_png(const fs::path& path);

/// Thrown by the test final step of the stop routine.
struct Stopped {
    int error;
};

/// Runs loaders in-process inside a temporary working folder: the stop routine
/// throws Stopped instead of ending the process, and the driver state is fresh.
class InProcess {
public:
    InProcess();
    ~InProcess();
    InProcess(const InProcess&) = delete;
    InProcess& operator=(const InProcess&) = delete;
    const fs::path& folder() const { return dir_.path(); }

private:
    TempDir dir_;
    fs::path previous_;
};

/// Runs fn and returns the error number of the stop it raised, or -1 when it returned.
template <typename Fn>
int stop_error_of(Fn&& fn) {
    try {
        fn();
    } catch (const Stopped& s) {
        return s.error;
    }
    return -1;
}

/// stop_error_of with the console lines of fn swallowed.
template <typename Fn>
int quiet_stop_error(Fn&& fn) {
    testing::internal::CaptureStdout();
    const int error = stop_error_of(fn);
    testing::internal::GetCapturedStdout();
    return error;
}

}  // namespace zy::test
