#include "front/scene_source.h"

#include <cstring>
#include <fstream>

#include "scene/records.h"
#include "zyscene/compiler.h"
#include "zyscene/output.h"

namespace zy::front {

namespace fs = std::filesystem;

namespace {

// read_scene_folder has checked that the settings hold a whole record.
SceneSource with_size(zyfarm::SceneFolder folder) {
    std::ifstream in(folder.folder / folder.settings_file, std::ios::binary);
    char bytes[8 + sizeof(RT_INF)] = {};
    in.read(bytes, sizeof bytes);
    RT_INF inf;
    std::memcpy(&inf, bytes + 8, sizeof inf);
    translate_RT_INF(&inf);
    return {std::move(folder), inf.res_x, inf.res_y, {}};
}

}  // namespace

SceneSource scene_source(const Options& o, const fs::path& compiled) {
    std::error_code ec;
    if (fs::is_directory(o.scene, ec)) {
        if (o.width || o.aa || o.depth || o.camera)
            throw UsageError(
                "--size, --aa, --depth and --camera need a scene description or a model file, not a compiled folder");
        return with_size(zyfarm::read_scene_folder(o.scene));
    }
    if (!fs::exists(o.scene, ec)) throw UsageError(o.scene + ": no such file or folder");
    const zyscene::CompiledScene scene =
        zyscene::compile_scene(o.scene, {}, {o.width, o.height, o.aa, o.depth, o.camera});
    fs::remove_all(compiled, ec);
    zyscene::write_scene_files(scene, compiled);
    SceneSource source = with_size(zyfarm::read_scene_folder(compiled));
    source.warnings = scene.warnings;
    return source;
}

}  // namespace zy::front
