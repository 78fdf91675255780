#include "zyscene/compiler.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>

#include "zyscene/description.h"
#include "zyscene/frame_baker.h"
#include "zyscene/input_error.h"
#include "zyscene/json_source.h"
#include "zyscene/model_scene.h"
#include "zyscene/scene_files.h"
#include "zyscene/texture_import.h"

namespace zy::zyscene {

namespace {

namespace fs = std::filesystem;

std::string read_text(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::error_code ec;
    if (!in)
        throw CompileError(file.string() + ": cannot open the description (looked for " +
                           fs::absolute(file, ec).lexically_normal().string() + ")");
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

// Texture files are named after the scene, numbered like the images: name.t00 ...
std::string texture_name(const std::string& scene, std::size_t index) {
    char suffix[8];
    std::snprintf(suffix, sizeof suffix, ".t%02zu", index);
    return scene + suffix;
}

// Each surface's image placement, for the sizes of the images it shows.
std::vector<MAT4> image_placements(const SurfaceTable& surfaces, const std::vector<writer::TextureFile>& textures) {
    std::vector<MAT4> placements(surfaces.records().size());
    for (std::size_t i = 0; i < placements.size(); ++i) {
        const auto& placement = surfaces.placement(static_cast<int16_t>(i));
        if (!placement) continue;
        const IIM_HEADER& h = textures[surfaces.records()[i].img_index].header;
        placements[i] = placement_matrix(*placement, h.width, h.height);
    }
    return placements;
}

// The renderer addresses its files with signed 32-bit offsets.
void check_file_size(const writer::FrameBlock& head, const FrameCounts& counts, int16_t frames) {
    const std::size_t block =
        writer::frame_head_bytes(head).size() + sizeof(V3S) * counts.points + sizeof(RT_TRI) * counts.tris;
    if (block * static_cast<std::size_t>(frames) > static_cast<std::size_t>(std::numeric_limits<int32_t>::max()))
        throw InputError("", "the frame file would pass 2 GiB, more than the renderer can read (" +
                                 std::to_string(block) + " bytes per frame, " + std::to_string(frames) + " frames)");
}

CompiledScene compile(Description description, const fs::path& folder, const ProgressSink& progress) {
    SceneFiles files = read_scene_files(description, folder, progress);
    CompiledScene scene;
    scene.warnings = std::move(description.notes);
    scene.warnings.insert(scene.warnings.end(), files.warnings.begin(), files.warnings.end());
    for (const ObjectDesc& o : description.objects) scene.object_names.push_back(o.name);
    scene.extent = std::move(files.extent);
    scene.shade.directory = "";
    scene.shade.scene = description.name;
    scene.settings.inf = description.settings;
    scene.settings.surfaces = description.surfaces.records();
    scene.frame_count = description.settings.frame_count;
    for (const ImageSource& source : description.surfaces.images()) {
        scene.settings.texture_names.push_back(texture_name(description.name, scene.textures.size()));
        scene.textures.push_back(import_texture(folder / source.file, source));
    }
    MatrixPlan plan(description.objects, description.surfaces, image_placements(description.surfaces, scene.textures));
    auto baker =
        std::make_shared<FrameBaker>(description, std::move(files.meshes), std::move(plan));
    FrameCounts counts = baker->check(0);
    const writer::FrameBlock head = baker->head(0);
    scene.settings.object_sizes = std::move(counts.object_sizes);
    writer::sync_counts(scene.settings, head, counts.points, counts.tris);
    check_file_size(head, counts, scene.frame_count);
    // Every frame is checked here, so that writing them cannot fail on the input.
    if (baker->animated())
        for (int k = 1; k < scene.frame_count; ++k) baker->check(k);
    scene.baker = std::move(baker);
    return scene;
}

// Set before the description is read, so that whatever follows the size (a
// fitted camera, a file camera's angle) follows the override.
Json with_overrides(Json root, const RenderOverrides& o) {
    if (!root.is_object()) return root;
    Json& render = root["render"];
    if (!render.is_object() && !render.is_null()) return root;
    for (const auto& [key, value] : {std::pair{"width", o.width}, std::pair{"height", o.height},
                                     std::pair{"antialias", o.antialias}, std::pair{"max_depth", o.max_depth}})
        if (value) render[key] = *value;
    if (render.is_null()) root.erase("render");
    if (o.camera) {
        Json& camera = root["camera"];
        if (!camera.is_object() || !camera.contains("from_file"))
            throw InputError("/camera", "a camera chosen by name must come from a file (\"from_file\")");
        camera["name"] = *o.camera;
    }
    return root;
}

}  // namespace

bool is_description(const fs::path& file) {
    std::string e = file.extension().string();
    for (char& c : e) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return e == ".json";
}

bool CompiledScene::animated() const { return baker && baker->animated(); }

writer::FrameBlock CompiledScene::frame(int k) const { return baker->frame(animated() ? k : 0); }

CompiledScene compile_scene(const fs::path& description, const ProgressSink& progress,
                            const RenderOverrides& overrides) {
    if (!is_description(description)) {
        try {
            const bool size_given = overrides.width || overrides.height;
            return compile(model_description(with_overrides(model_json(description), overrides), size_given),
                           description.parent_path(), progress);
        } catch (const InputError& e) {
            throw CompileError(description.string() + ": " + e.what());
        }
    }
    const std::string text = read_text(description);
    try {
        return compile(read_description(with_overrides(parse_description(text), overrides)),
                       description.parent_path(), progress);
    } catch (const InputError& e) {
        throw CompileError(place_of(description, text, e) + ": " + e.what());
    }
}

}  // namespace zy::zyscene
