// Shared by the scene compiler's tests: descriptions written into temporary
// folders, compiled in-process or by the real executable, and read back with
// the renderer's loaders.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>

#include "geometry/xmath.h"
#include "scene/rt_var.h"
#include "support/test_support.h"
#include "zyscene/compiler.h"
#include "zyscene/input_error.h"

namespace zy::zyscene::test {

namespace fs = std::filesystem;

/// A camera member that every test description can use.
inline const std::string kCamera = R"("camera": {"eye": [0, 0, -10], "look_at": [0, 0, 0]})";

/// Writes text into folder/name and returns the path.
fs::path write_text(const fs::path& folder, const std::string& name, const std::string& text);

/// The text of a file in this test program's data folder.
std::string data_text(const std::string& name);

/// Compiles the description text, written as folder/scene.json.
CompiledScene compile_text(const fs::path& folder, const std::string& text);

/// The message of the CompileError that compiling text raises, "" if none.
std::string compile_error(const fs::path& folder, const std::string& text);

/// "POINTER: MESSAGE" of the InputError that fn raises, "accepted" if none.
template <typename Fn>
std::string input_error(Fn&& fn) {
    try {
        fn();
    } catch (const InputError& e) {
        return e.pointer + ": " + e.what();
    }
    return "accepted";
}

using zy::test::quiet_stop_error;

/// Writes the scene into the in-process working folder and reads it back with
/// rt_load_info and rt_load_frame(0). Returns the stop error of the loaders.
int load_back(const CompiledScene& scene);

/// What a run of the real zyscene shows.
using CliRun = zy::test::CommandRun;
/// Runs zyscene with the arguments (each quoted) in folder.
CliRun run_zyscene(const fs::path& folder, const std::vector<std::string>& args);

}  // namespace zy::zyscene::test
