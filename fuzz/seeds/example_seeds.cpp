// Seeds from the scenes zyscene compiles from the examples: the real settings
// (surfaces, patterns, lights, matrices) with the geometry cut down so that a
// whole run stays within the fuzz harness's caps.
#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <utility>

#include "seeds/seeds.h"
#include "writer/scene_writer.h"

namespace zy::fuzz {

namespace fs = std::filesystem;

namespace {

Bytes read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

fs::path only_file_with(const fs::path& folder, const std::string& ext) {
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ext) return entry.path();
    throw std::runtime_error("no " + ext + " file in " + folder.string());
}

// Reads records in file order, converting each to host order.
class RecordReader {
public:
    explicit RecordReader(Bytes bytes) : bytes_(std::move(bytes)) {}

    void expect_magic(const char* magic) {
        if (bytes_.size() < at_ + 8 || !std::equal(magic, magic + 8, bytes_.begin() + static_cast<std::ptrdiff_t>(at_)))
            throw std::runtime_error(std::string("no ") + magic);
        at_ += 8;
    }

    template <typename Record>
    Record next(void (*convert)(void*)) {
        Record r;
        take(&r, sizeof r);
        if (convert) convert(&r);
        return r;
    }

    std::string text(std::size_t size) {
        std::string s(size, '\0');
        take(s.data(), size);
        return s.substr(0, s.find('\0'));
    }

private:
    void take(void* destination, std::size_t size) {
        if (bytes_.size() < at_ + size) throw std::runtime_error("scene file cut short");
        std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(at_), size, static_cast<uint8_t*>(destination));
        at_ += size;
    }

    Bytes bytes_;
    std::size_t at_ = 0;
};

void translate_be32(void* field) { translate(field, 4); }

writer::Scene read_scene(const fs::path& folder) {
    writer::Scene scene;
    RecordReader shade(read_file(folder / "zy_shade.xpa"));
    shade.expect_magic("RT_PATH ");
    scene.shade.directory = shade.text(141);
    scene.shade.scene = shade.text(14);

    RecordReader inf(read_file(only_file_with(folder, ".inf")));
    inf.expect_magic("RT_INFO ");
    writer::SettingsFile& settings = scene.settings;
    settings.inf = inf.next<RT_INF>(translate_RT_INF);
    for (int i = 0; i < settings.inf.n_img; ++i) settings.texture_names.push_back(inf.text(80));
    for (int i = 0; i < settings.inf.n_srf; ++i) settings.surfaces.push_back(inf.next<RT_SRF>(translate_RT_SRF));
    for (int i = 0; i < settings.inf.n_obj; ++i) settings.object_sizes.push_back(inf.next<int32_t>(translate_be32));

    RecordReader sys(read_file(only_file_with(folder, ".sys")));
    sys.expect_magic("RT_FRAME");
    writer::FrameBlock frame;
    frame.cam = sys.next<RT_CAM>(translate_RT_CAM);
    for (int i = 0; i < settings.inf.n_light; ++i) frame.lights.push_back(sys.next<RT_LIGHT>(translate_RT_LIGHT));
    for (int i = 0; i < settings.inf.n_mat; ++i) {
        std::array<MAT4_64, 3> triple;
        for (auto& m : triple) m = sys.next<MAT4_64>(translate_MAT4_64);
        frame.matrices.push_back(triple);
    }
    for (int32_t i = 0; i < settings.inf.n_pnt; ++i) frame.points.push_back(sys.next<V3S>(translate_V3S));
    for (int32_t i = 0; i < settings.inf.n_tri; ++i) frame.tris.push_back(sys.next<RT_TRI>(translate_RT_TRI));
    scene.frames.push_back(frame);
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
    if (target == "settings") return {{name, read_file(only_file_with(folder, ".inf"))}};
    if (target == "texture") return {};
    const writer::Scene whole = read_scene(folder);
    // Loading alone affords more of the geometry than a whole run.
    return {{name, packed(cut_down(whole, target == "frame" ? 400 : 48))}};
}

}  // namespace zy::fuzz
