#include "zyscene_fixture.h"

#include <sys/wait.h>

#include <fstream>

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
    return quiet_stop_error([] {
        rt_load_info();
        rt_load_frame(0);
    });
}

CliRun run_zyscene(const fs::path& folder, const std::vector<std::string>& args) {
    // Outputs go into a folder of their own so that they never count as
    // files the tests watch.
    zy::test::TempDir capture;
    std::string command = "cd '" + folder.string() + "' && '" + ZY_ZYSCENE_PATH + "'";
    for (const std::string& a : args) command += " '" + a + "'";
    command += " >'" + (capture / "out").string() + "' 2>'" + (capture / "err").string() + "' </dev/null";
    const int status = std::system(command.c_str());
    const auto out = zy::test::read_bytes(capture / "out"), err = zy::test::read_bytes(capture / "err");
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, {out.begin(), out.end()}, {err.begin(), err.end()}};
}

}  // namespace zy::zyscene::test
