// Seeds made with the scene writer: each scene switches on a different part of
// the renderer, so the fuzzer starts from inputs that reach it.
#include <cstring>

#include "seeds/seeds.h"
#include "writer/scene_writer.h"

namespace zy::fuzz {

namespace {

constexpr uint8_t kImageFlag = 1;  // surface takes its material from a texture

RT_MAT_BLOCK material(uint8_t r, uint8_t g, uint8_t b, uint8_t ambient, uint8_t diffuse) {
    return {{r, g, b}, 0, ambient, diffuse, 40, 10, 0, 0, 0, 0};
}

RT_SRF surface(const RT_MAT_BLOCK& a, const RT_MAT_BLOCK& b) {
    RT_SRF s{};
    s.mat[0] = a;
    s.mat[1] = b;
    return s;
}

// A 4 x 4 picture of one frame, camera at (0, 0, -10) looking at the origin.
writer::Scene base_scene() {
    writer::Scene scene;
    scene.shade.scene = "SEED";
    RT_INF& inf = scene.settings.inf;
    inf = writer::default_settings();
    inf.res_y = 4;
    inf.ambient_color[0] = inf.ambient_color[1] = inf.ambient_color[2] = 120;
    inf.sky_color1[2] = 200;
    inf.sky_color2[1] = 100;
    inf.sky_color3[0] = 50;
    writer::FrameBlock frame;
    frame.cam.eye = {0, 0, -10};
    frame.cam.look_at = {0, 0, 0};
    frame.cam.sky = {0, 1, 0};
    frame.cam.fov = 45.0;
    scene.frames.push_back(frame);
    return scene;
}

// One object of one triangle, smooth when normals are given.
void add_triangle(writer::Scene& scene, V3S a, V3S b, V3S c, int16_t srf, int8_t mat_index = -1) {
    writer::FrameBlock& frame = scene.frames[0];
    const auto first = static_cast<int32_t>(frame.points.size());
    frame.points.insert(frame.points.end(), {a, b, c});
    RT_TRI t{};
    for (int k = 0; k < 3; ++k) {
        t.vertex[k] = first + k;
        t.normal[k] = {static_cast<int16_t>(k * 3000), 0, -30000};
    }
    t.srf = srf;
    t.mat_index = mat_index;
    t.smooth = 1;
    frame.tris.push_back(t);
    scene.settings.object_sizes.push_back(1);
}

RT_LIGHT light(V3S pos, int8_t kind, float radius) {
    RT_LIGHT l{};
    l.color[0] = l.color[1] = l.color[2] = 255;
    l.kind = kind;
    l.pos = pos;
    l.dir = {0, 0, 1};
    l.radius = radius;
    l.attenuation = 1;
    l.cone_soft = 30;
    l.cone_angle = 60;
    return l;
}

MAT4_64 scaling(double s) {
    MAT4_64 m{};
    for (int i = 0; i < 3; ++i) m.m[i][i] = s;
    m.m[3][3] = 1.0;
    return m;
}

writer::Scene plain_scene() {
    writer::Scene scene = base_scene();
    scene.settings.surfaces.push_back(surface(material(200, 100, 50, 100, 0), material(0, 0, 0, 0, 0)));
    add_triangle(scene, {-5, -5, 0}, {5, -5, 0}, {0, 5, 0}, 0);
    return scene;
}

// Lights, shadows, mirror, glass, floor, fog and clouds at full antialiasing.
writer::Scene lit_scene() {
    writer::Scene scene = base_scene();
    RT_INF& inf = scene.settings.inf;
    inf.flags = 1 | 2 | 4 | 8 | 16 | 32;
    inf.aa_level = 2;
    inf.max_depth = 3;
    inf.fog_distance = 50.0f;
    inf.fog_color[0] = inf.fog_color[1] = inf.fog_color[2] = 128;
    inf.cloud_a = 40;
    inf.cloud_b = 30;
    inf.sky_height = 10;
    inf.floor_mat[0] = material(255, 255, 255, 30, 70);
    inf.floor_mat[1] = material(20, 20, 20, 30, 70);
    inf.floor_ptrn_type = 1;
    inf.floor_ptrn_scale = 2.0f;
    RT_SRF mirror = surface(material(230, 230, 230, 10, 30), material(230, 230, 230, 10, 30));
    mirror.mat[0].reflect = mirror.mat[1].reflect = 80;
    RT_SRF glass = surface(material(200, 255, 200, 10, 20), material(200, 255, 200, 10, 20));
    glass.mat[0].transp = glass.mat[1].transp = 70;
    glass.mat[0].refraction = glass.mat[1].refraction = 2;
    glass.srf_flags = 8;
    scene.settings.surfaces = {mirror, glass};
    add_triangle(scene, {-6, -3, 4}, {6, -3, 4}, {0, 6, 4}, 0);
    add_triangle(scene, {-2, -2, -1}, {2, -2, -1}, {0, 2, -1}, 1);
    scene.frames[0].lights = {light({5, 8, -6}, 0, 0.5f), light({-5, 8, -6}, 1, 0)};
    return scene;
}

// Every procedural pattern family and a bump on matrix-placed triangles.
writer::Scene patterned_scene() {
    writer::Scene scene = base_scene();
    scene.settings.inf.flags = 4;
    scene.settings.inf.wave_period = 4;
    RT_SRF marble = surface(material(240, 240, 240, 40, 60), material(60, 20, 20, 40, 60));
    marble.ptrn_type = 9;
    marble.ptrn_scale = 0.5f;
    marble.bump_type = 6;
    marble.bump_scale = 1.0f;
    marble.bump_depth = 0.3f;
    RT_SRF checks = marble;
    checks.ptrn_type = 1;
    checks.ptrn_arg = 2;
    checks.bump_type = 2;
    scene.settings.surfaces = {marble, checks};
    scene.frames[0].matrices = {{scaling(2.0), scaling(0.5), scaling(1.0)}};
    add_triangle(scene, {-6, -6, 1}, {6, -6, 1}, {0, 6, 1}, 0, 0);
    add_triangle(scene, {-6, 6, 0.5f}, {6, 6, 0.5f}, {0, -6, 0.5f}, 1);
    scene.frames[0].lights = {light({0, 5, -8}, 0, 0)};
    return scene;
}

writer::TextureFile texture(int16_t type, int16_t width, int16_t height) {
    writer::TextureFile t;
    t.header = {type, 0, width, height};
    const std::size_t bytes_per_row[] = {static_cast<std::size_t>((width + 7) / 8), static_cast<std::size_t>(width), 0, 0,
                                         3 * static_cast<std::size_t>(width), 4 * static_cast<std::size_t>(width)};
    t.pixels.resize(bytes_per_row[type] * static_cast<std::size_t>(height));
    for (std::size_t i = 0; i < t.pixels.size(); ++i) t.pixels[i] = static_cast<uint8_t>(i * 37 + 11);
    return t;
}

// Two image-mapped surfaces, flat and wrapped round a cylinder.
writer::Scene textured_scene() {
    writer::Scene scene = base_scene();
    scene.settings.texture_names = {"WALL.IIM", "sub\\Mask.iim"};
    RT_SRF flat = surface(material(255, 255, 255, 100, 0), material(0, 0, 255, 100, 0));
    flat.srf_flags = kImageFlag;
    RT_SRF wrapped = flat;
    wrapped.img_index = 1;
    wrapped.img_mode = 1;
    wrapped.img_arg = 90.0f;
    scene.settings.surfaces = {flat, wrapped};
    add_triangle(scene, {-6, -6, 1}, {6, -6, 1}, {0, 6, 1}, 0);
    add_triangle(scene, {-3, 3, 0}, {3, 3, 0}, {0, -3, 0}, 1);
    return scene;
}

// Two frames with autosave; the camera moves.
writer::Scene animated_scene() {
    writer::Scene scene = plain_scene();
    scene.settings.inf.frame_count = 2;
    scene.settings.inf.options = 1;
    scene.frames.push_back(scene.frames[0]);
    scene.frames[1].cam.eye = {2, 1, -9};
    return scene;
}

void sync(writer::Scene& scene) {
    for (auto& frame : scene.frames) writer::sync_counts(scene.settings, frame);
}

Bytes packed(writer::Scene scene, const std::vector<writer::TextureFile>& textures,
             std::optional<Bytes> break_file = std::nullopt) {
    sync(scene);
    std::vector<std::optional<Bytes>> files = {writer::shade_file_bytes(scene.shade),
                                               writer::settings_file_bytes(scene.settings),
                                               writer::frame_file_bytes(scene.frames), std::move(break_file)};
    for (const auto& t : textures) files.emplace_back(writer::texture_file_bytes(t));
    return pack(files);
}

Seeds scene_seeds() {
    const std::vector<writer::TextureFile> textures = {texture(4, 6, 4), texture(5, 3, 5)};
    return {
        {"writer-plain", packed(plain_scene(), {})},
        {"writer-lit", packed(lit_scene(), {})},
        {"writer-patterned", packed(patterned_scene(), {})},
        {"writer-textured", packed(textured_scene(), textures)},
        {"writer-animated", packed(animated_scene(), {})},
        {"writer-resumed", packed(animated_scene(), {}, writer::break_file_bytes(1, 0))},
    };
}

Seeds settings_seeds() {
    Seeds seeds;
    for (auto [name, scene] : {std::pair{"writer-plain", plain_scene()}, {"writer-lit", lit_scene()},
                               {"writer-patterned", patterned_scene()}, {"writer-textured", textured_scene()}}) {
        sync(scene);
        seeds.emplace_back(name, writer::settings_file_bytes(scene.settings));
    }
    return seeds;
}

Seeds texture_seeds() {
    Seeds seeds;
    for (int16_t type = 0; type <= 5; ++type)
        seeds.emplace_back("writer-type" + std::to_string(type), writer::texture_file_bytes(texture(type, 9, 5)));
    return seeds;
}

}  // namespace

Seeds writer_seeds(std::string_view target) {
    if (target == "settings") return settings_seeds();
    if (target == "texture") return texture_seeds();
    return scene_seeds();
}

}  // namespace zy::fuzz
