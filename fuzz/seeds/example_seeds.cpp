// Seeds from the scenes zyscene compiles from the examples: the real settings
// (surfaces, patterns, lights, matrices) with the geometry cut down so that a
// whole run stays within the fuzz harness's caps.
#include <algorithm>
#include <map>
#include <stdexcept>
#include <utility>

#include "seeds/seeds.h"
#include "writer/scene_reader.h"

namespace zy::fuzz {

namespace fs = std::filesystem;

namespace {

fs::path only_file_with(const fs::path& folder, const std::string& ext) {
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ext) return entry.path();
    throw std::runtime_error("no " + ext + " file in " + folder.string());
}

// The shade file and the first frame, the scene's own files named by their
// extensions as zyscene writes them.
writer::Scene read_scene(const fs::path& folder) {
    writer::Scene scene;
    scene.shade = writer::read_shade_file(writer::read_file(folder / "zy_shade.xpa"));
    scene.settings = writer::read_settings_file(writer::read_file(only_file_with(folder, ".inf")));
    const writer::Bytes frames = writer::read_file(only_file_with(folder, ".sys"));
    scene.frames.push_back(writer::read_frame_block(frames, scene.settings.inf));
    return scene;
}

// Keeps the first triangles, with only the points and matrices they use, as
// one frame of a 4 x 4 picture.
writer::Scene cut_down(const writer::Scene& whole, std::size_t max_tris) {
    writer::Scene scene = whole;
    const writer::FrameBlock& from = whole.frames[0];
    writer::FrameBlock& to = scene.frames[0];
    to.points.clear();
    to.matrices.clear();
    to.tris.assign(from.tris.begin(), from.tris.begin() + static_cast<std::ptrdiff_t>(std::min(max_tris, from.tris.size())));
    std::map<int32_t, int32_t> point_index;
    std::map<int8_t, int8_t> matrix_index;
    for (RT_TRI& t : to.tris) {
        for (int32_t& v : t.vertex) {
            const auto [it, added] = point_index.emplace(v, static_cast<int32_t>(to.points.size()));
            if (added) to.points.push_back(from.points.at(static_cast<std::size_t>(v)));
            v = it->second;
        }
        if (t.mat_index < 0) continue;
        const auto [it, added] = matrix_index.emplace(t.mat_index, static_cast<int8_t>(to.matrices.size()));
        if (added) to.matrices.push_back(from.matrices.at(static_cast<std::size_t>(t.mat_index)));
        t.mat_index = it->second;
    }
    // Objects keep their order; the last one kept may lose its tail.
    std::vector<int32_t> sizes;
    auto left = static_cast<int32_t>(to.tris.size());
    for (int32_t size : whole.settings.object_sizes) {
        if (left == 0) break;
        sizes.push_back(std::min(size, left));
        left -= sizes.back();
    }
    scene.settings.object_sizes = sizes;
    RT_INF& inf = scene.settings.inf;
    inf.res_x = inf.res_y = 4;
    inf.frame_count = 1;
    inf.max_depth = std::min<int16_t>(inf.max_depth, 4);
    writer::sync_counts(scene.settings, to);
    return scene;
}

Bytes packed(const writer::Scene& scene) {
    return pack({writer::shade_file_bytes(scene.shade), writer::settings_file_bytes(scene.settings),
                 writer::frame_file_bytes(scene.frames), std::nullopt});
}

}  // namespace

Seeds example_seeds(std::string_view target, const fs::path& folder) {
    const std::string name = "example-" + folder.filename().string();
    if (target == "settings") return {{name, writer::read_file(only_file_with(folder, ".inf"))}};
    if (target == "texture") return {};
    const writer::Scene whole = read_scene(folder);
    // Loading alone affords more of the geometry than a whole run.
    return {{name, packed(cut_down(whole, target == "frame" ? 400 : 48))}};
}

}  // namespace zy::fuzz
