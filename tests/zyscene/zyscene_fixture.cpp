#include "zyscene_fixture.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>

#include "scene/frame_loader.h"
#include "scene/settings_loader.h"
#include "zyscene/output.h"

namespace zy::zyscene::test {

fs::path write_text(const fs::path& folder, const std::string& name, const std::string& text) {
    const fs::path path = folder / name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

CompiledScene compile_text(const fs::path& folder, const std::string& text) {
    return compile_scene(write_text(folder, "scene.json", text));
}

std::string compile_error(const fs::path& folder, const std::string& text) {
    try {
        compile_text(folder, text);
    } catch (const CompileError& e) {
        return e.what();
    }
    return "";
}

int load_back(const CompiledScene& scene) {
    write_scene_files(scene, fs::current_path());
    testing::internal::CaptureStdout();
    const int error = zy::test::stop_error_of([] {
        rt_load_info();
        rt_load_frame(0);
    });
    testing::internal::GetCapturedStdout();
    return error;
}

namespace {

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

CliRun run_zyscene(const fs::path& folder, const std::vector<std::string>& args) {
    // Outputs go into a folder of their own so that they never count as
    // files the tests watch.
    zy::test::TempDir capture;
    std::string command = "cd '" + folder.string() + "' && '" + ZY_ZYSCENE_PATH + "'";
    for (const std::string& a : args) command += " '" + a + "'";
    command += " >'" + (capture / "out").string() + "' 2>'" + (capture / "err").string() + "' </dev/null";
    const int status = std::system(command.c_str());
    CliRun run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = slurp(capture / "out");
    run.err = slurp(capture / "err");
    return run;
}

}  // namespace zy::zyscene::test
