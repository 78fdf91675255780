#include "zyscene_fixture.h"

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

std::string data_text(const std::string& name) {
    const auto bytes = zy::test::read_bytes(fs::path(ZY_TEST_DATA) / name);
    return {bytes.begin(), bytes.end()};
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
    std::string command = "cd '" + folder.string() + "' && '" + ZY_ZYSCENE_PATH + "'";
    for (const std::string& a : args) command += " '" + a + "'";
    return zy::test::run_command(command);
}

}  // namespace zy::zyscene::test
