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
    return {std::move(folder), inf.res_x, inf.res_y};
}

}  // namespace

SceneSource scene_source(const Options& o, const fs::path& compiled) {
    std::error_code ec;
    if (fs::is_directory(o.scene, ec)) {
        if (o.width || o.aa || o.depth)
            throw UsageError("--size, --aa and --depth need a scene description (.json), not a compiled folder");
        return with_size(zyfarm::read_scene_folder(o.scene));
    }
    if (!fs::exists(o.scene, ec)) throw UsageError(o.scene + ": no such file or folder");
    const zyscene::CompiledScene scene = zyscene::compile_scene(o.scene, {}, {o.width, o.height, o.aa, o.depth});
    fs::remove_all(compiled, ec);
    zyscene::write_scene_files(scene, compiled);
    return with_size(zyfarm::read_scene_folder(compiled));
}

}  // namespace zy::front
