#include "zyscene/compiler.h"

#include <fstream>
#include <limits>
#include <sstream>

#include "zyscene/description.h"
#include "zyscene/frame_geometry.h"
#include "zyscene/input_error.h"
#include "zyscene/json_source.h"

namespace zy::zyscene {

namespace {

namespace fs = std::filesystem;

std::string read_text(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw CompileError(file.string() + ": cannot open the description");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string place_of(const fs::path& file, const std::string& text, const InputError& e) {
    std::string place = file.string();
    if (e.line > 0) return place + ":" + std::to_string(e.line) + ":" + std::to_string(e.column);
    if (e.pointer.empty()) return place;
    const auto p = locate_pointer(text, e.pointer, e.at_key);
    place += ":" + std::to_string(p.line) + ":" + std::to_string(p.column);
    return place + ": " + e.pointer;
}

FrameGeometry build_geometry(const Description& d, const fs::path& folder, const ProgressSink& progress) {
    FrameGeometry frame;
    for (const ObjectDesc& o : d.objects) {
        const Mesh mesh = std::holds_alternative<MeshShape>(o.shape)
                              ? import_mesh(folder / std::get<MeshShape>(o.shape).file,
                                            std::get<MeshShape>(o.shape), o.pointer + "/mesh", progress)
                              : make_primitive(o.shape);
        add_object(o, mesh, o.object_space && d.surfaces.uses_texture_space(o.surface), frame);
    }
    return frame;
}

// The renderer addresses its files with signed 32-bit offsets.
void check_file_size(const CompiledScene& scene) {
    const auto& f = scene.frame;
    const std::size_t block = 8 + sizeof(RT_CAM) + sizeof(RT_LIGHT) * f.lights.size() +
                              3 * sizeof(MAT4_64) * f.matrices.size() + sizeof(V3S) * f.points.size() +
                              sizeof(RT_TRI) * f.tris.size();
    if (block * static_cast<std::size_t>(scene.frame_count) > static_cast<std::size_t>(std::numeric_limits<int32_t>::max()))
        throw InputError("", "the frame file would pass 2 GiB, more than the renderer can read (" +
                                 std::to_string(block) + " bytes per frame, " + std::to_string(scene.frame_count) +
                                 " frames)");
}

CompiledScene assemble(const Description& d, FrameGeometry geometry) {
    CompiledScene scene;
    scene.shade.directory = "";
    scene.shade.scene = d.name;
    scene.settings.inf = d.settings;
    scene.settings.surfaces = d.surfaces.records();
    scene.settings.object_sizes = std::move(geometry.object_sizes);
    scene.frame.cam = d.camera;
    scene.frame.lights = d.lights;
    scene.frame.matrices = std::move(geometry.matrices);
    scene.frame.points = std::move(geometry.points);
    scene.frame.tris = std::move(geometry.tris);
    scene.frame_count = d.settings.frame_count;
    writer::sync_counts(scene.settings, scene.frame);
    return scene;
}

}  // namespace

CompiledScene compile_scene(const fs::path& description, const ProgressSink& progress) {
    const std::string text = read_text(description);
    try {
        const Description d = read_description(parse_description(text));
        CompiledScene scene = assemble(d, build_geometry(d, description.parent_path(), progress));
        check_file_size(scene);
        return scene;
    } catch (const InputError& e) {
        throw CompileError(place_of(description, text, e) + ": " + e.what());
    }
}

}  // namespace zy::zyscene
