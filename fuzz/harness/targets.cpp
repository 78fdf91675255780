#include "harness/targets.h"

#include <omp.h>

#include <cmath>
#include <limits>

#include "driver/lifecycle.h"
#include "driver/memoire.h"
#include "driver/program.h"
#include "driver/program_state.h"
#include "driver/stop.h"
#include "geometry/triangle.h"
#include "harness/scene_files.h"
#include "materials/materials.h"
#include "scene/image_loader.h"
#include "scene/rt_var.h"
#include "scene/settings_loader.h"
#include "writer/scene_writer.h"

namespace zy::fuzz {

namespace {

// Arrays a loading target may allocate. Beyond it, and up to the machine's
// memory (where the loader itself refuses), an input would only measure the
// allocator.
constexpr uint64_t kArrayCap = uint64_t{256} << 20;

bool arrays_within_cap(const RT_INF& inf) {
    const uint64_t bytes = announced_array_bytes(inf);
    return bytes <= kArrayCap || bytes > physical_memory_bytes();
}

// A whole run must end within a second under the sanitizers.
bool scene_within_caps(const RT_INF& inf) {
    return inf.res_x <= 8 && inf.res_y <= 8 && inf.frame_count <= 2 && inf.max_depth <= 4 && inf.n_tri <= 256 &&
           inf.n_pnt <= 1024 && inf.n_light <= 8 && inf.n_mat <= 16;
}

const writer::Bytes& fixed_shade() {
    static const writer::Bytes shade = writer::shade_file_bytes({"", "F"});
    return shade;
}

// One image-mapped surface on texture "T.IIM".
const writer::Bytes& texture_settings() {
    static const writer::Bytes settings = [] {
        writer::SettingsFile s;
        s.inf = writer::default_settings();
        s.texture_names = {"T.IIM"};
        RT_SRF srf{};
        srf.mat[0].color[0] = 200;
        srf.mat[1].color[2] = 200;
        srf.srf_flags = kSrfImage;
        srf.img_arg = 90.0f;
        s.surfaces = {srf};
        s.inf.n_img = 1;
        s.inf.n_srf = 1;
        return writer::settings_file_bytes(s);
    }();
    return settings;
}

std::optional<Outcome> run_settings(const uint8_t* data, std::size_t size) {
    const std::span<const uint8_t> settings(data, size);
    if (const auto inf = settings_record(settings); inf && !arrays_within_cap(*inf)) return std::nullopt;
    return Session::get().run({{"zy_shade.xpa", fixed_shade()}, {"f.inf", settings}}, [] {
        rt_load_info();
        ZY_STOP(kNormalEnd);
    });
}

// The packed files under the names the program will look for; a later file
// with the same name replaces an earlier one, as the last write would.
std::vector<InputFile> scene_input(const std::vector<std::optional<std::span<const uint8_t>>>& files) {
    const auto bytes_of = [&](std::size_t slot) {
        return slot < files.size() && files[slot] ? *files[slot] : std::span<const uint8_t>();
    };
    const std::vector<std::string> names = scene_file_names(bytes_of(kShade), bytes_of(kSettings), files.size());
    std::vector<InputFile> input;
    for (std::size_t slot = 0; slot < files.size(); ++slot)
        if (files[slot] && !names[slot].empty()) input.push_back({names[slot], *files[slot]});
    return input;
}

std::optional<RT_INF> packed_settings(const std::vector<std::optional<std::span<const uint8_t>>>& files) {
    if (files.size() <= kSettings || !files[kSettings]) return std::nullopt;
    return settings_record(*files[kSettings]);
}

void load_frames() {
    rt_load_info();
    const int32_t last = std::min<int32_t>(rt_var.frame_count, first_frame + 2);
    // Loading only: the octree build is not what this target is after.
    for (int32_t frame = first_frame; frame < last; ++frame) {
        prepare_frame(static_cast<int16_t>(frame), FrameStep::place);
        end_frame();
    }
    ZY_STOP(kNormalEnd);
}

std::optional<Outcome> run_frame(const uint8_t* data, std::size_t size) {
    const auto files = unpack({data, size});
    if (const auto inf = packed_settings(files); inf && !arrays_within_cap(*inf)) return std::nullopt;
    return Session::get().run(scene_input(files), load_frames);
}

// Points across the image, around it and far away, in every mapping mode.
void probe_texture() {
    const IIM_IMAGE& img = rt_var.images[0];
    SURFACE& srf = rt_var.surfaces[0];
    TRIANGLE tri{};
    tri.srf_index = 0;
    tri.mat_index = -1;
    const double w = img.width, h = img.height;
    constexpr double kFar[] = {1e30, -1e30, std::numeric_limits<double>::quiet_NaN()};
    const Scene scene = frame_scene();
    MATERIAL m;
    for (uint8_t mode = 0; mode <= 2; ++mode) {
        srf.img_mode = mode;
        for (int i = -4; i <= 4; ++i)
            for (int j = -4; j <= 4; ++j)
                for (int k = -1; k <= 1; ++k) rt_img_material(scene, tri, {i * w / 3.0, j * h / 3.0, k * w / 2.0}, m);
        for (double far : kFar) rt_img_material(scene, tri, {far, far, far}, m);
    }
}

std::optional<Outcome> run_texture(const uint8_t* data, std::size_t size) {
    return Session::get().run(
        {{"zy_shade.xpa", fixed_shade()}, {"f.inf", texture_settings()}, {"t.iim", {data, size}}}, [] {
            rt_load_info();
            rt_read_images();
            probe_texture();
            ZY_STOP(kNormalEnd);
        });
}

std::optional<Outcome> run_scene(const uint8_t* data, std::size_t size) {
    const auto files = unpack({data, size});
    if (const auto inf = packed_settings(files); inf && !scene_within_caps(*inf)) return std::nullopt;
    // One thread: runs stay short and the fuzzer's timing stays its own.
    omp_set_num_threads(1);
    return Session::get().run(scene_input(files), zyray_main);
}

}  // namespace

const std::array<TargetEntry, 4> kTargets = {{
    {"settings", run_settings},
    {"frame", run_frame},
    {"texture", run_texture},
    {"scene", run_scene},
}};

const TargetEntry* find_target(std::string_view name) {
    for (const TargetEntry& t : kTargets)
        if (t.name == name) return &t;
    return nullptr;
}

}  // namespace zy::fuzz
