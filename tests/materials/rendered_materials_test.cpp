// Every pattern, every bump and every image format rendered by the real program:
// the picture shows them, and it does not depend on the number of threads.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "scene/rt_var.h"
#include "support/test_support.h"
#include "writer/scene_writer.h"

namespace zy::test {
namespace {

constexpr int kColumns = 8, kRows = 6;  // cells of one unit, a wall standing on the floor

RT_MAT_BLOCK block(uint8_t r, uint8_t g, uint8_t b) {
    RT_MAT_BLOCK m{};
    m.color[0] = r;
    m.color[1] = g;
    m.color[2] = b;
    m.ambient = 30;
    m.diffuse = 70;
    m.specular = 40;
    m.spec_exp = 10;
    return m;
}

RT_SRF sheet_surface(int cell) {
    RT_SRF s{};
    s.mat[0] = block(230, 200, 120);
    s.mat[1] = block(40, 60, 150);
    s.ptrn_scale = s.bump_scale = 0.05f;
    if (cell < 32) {
        s.ptrn_type = static_cast<uint8_t>(cell + 1);
        s.ptrn_arg = static_cast<uint8_t>(cell % 4);
    } else if (cell < 40) {
        s.bump_type = static_cast<uint8_t>(cell - 31);
        s.bump_depth = 0.6f;
    } else {
        s.srf_flags = kSrfImage;
        s.img_index = static_cast<uint8_t>((cell - 40) % 4);
        s.img_mode = static_cast<uint8_t>(cell % 3);
        s.img_arg = 90.0f;
    }
    return s;
}

// A 4 x 4 image of the given format with varied pixels.
writer::Bytes image_bytes(int16_t type) {
    writer::TextureFile t;
    t.header = {type, 0, 4, 4};
    const int per_pixel[] = {0, 1, 0, 0, 3, 4};
    t.pixels.resize(type == 0 ? 4 : 16 * per_pixel[type]);
    for (std::size_t i = 0; i < t.pixels.size(); ++i) t.pixels[i] = static_cast<uint8_t>(i * 73 + 5);
    return writer::texture_file_bytes(t);
}

writer::Scene sheet_scene() {
    writer::Scene scene;
    scene.shade.scene = "SHEET";
    RT_INF& inf = scene.settings.inf;
    inf = writer::default_settings();
    inf.res_x = 64;
    inf.res_y = 48;
    inf.aa_level = 1;
    inf.flags = 4 | 8;  // lights and floor
    inf.floor_mat[0] = block(200, 200, 200);
    inf.floor_mat[1] = block(90, 90, 90);
    inf.floor_ptrn_type = 28;
    inf.floor_ptrn_scale = 0.02f;
    inf.floor_bump_type = 8;
    inf.floor_bump_scale = 0.02f;
    inf.floor_bump_depth = 0.5f;
    inf.wave_period = 4;
    inf.ambient_color[0] = inf.ambient_color[1] = inf.ambient_color[2] = 255;
    scene.settings.texture_names = {"MASK.IIM", "GREY.IIM", "RGB.IIM", "MRGB.IIM"};

    writer::FrameBlock frame;
    frame.cam.eye = {0, 4, -9};
    frame.cam.look_at = {0, 2.6f, 0};
    frame.cam.sky = {0, 1, 0};
    frame.cam.fov = 55.0;
    RT_LIGHT light{};
    light.color[0] = light.color[1] = light.color[2] = 255;
    light.pos = {-3, 4, -8};
    frame.lights.push_back(light);
    // Pattern, bump and image matrices: images at 4 pixels a unit, centred on the origin.
    std::array<MAT4_64, 3> set{};
    for (auto& m : set)
        for (int i = 0; i < 4; ++i) m.m[i][i] = 1.0;
    set[2].m[0][0] = set[2].m[1][1] = set[2].m[2][2] = 4.0;
    frame.matrices.push_back(set);

    for (int cell = 0; cell < kColumns * kRows; ++cell) {
        scene.settings.surfaces.push_back(sheet_surface(cell));
        const float x0 = static_cast<float>(cell % kColumns - kColumns / 2);
        const float y0 = static_cast<float>(kRows - cell / kColumns) - 0.8f;
        const auto first = static_cast<int32_t>(frame.points.size());
        frame.points.insert(frame.points.end(), {{x0, y0, 0}, {x0, y0 + 0.95f, 0}, {x0 + 0.95f, y0 + 0.95f, 0},
                                                 {x0 + 0.95f, y0, 0}});
        for (const auto& corners : {std::array<int32_t, 3>{0, 1, 2}, std::array<int32_t, 3>{0, 2, 3}}) {
            RT_TRI tri{};
            for (int k = 0; k < 3; ++k) tri.vertex[k] = first + corners[k];
            tri.srf = static_cast<int16_t>(cell);
            tri.mat_index = 0;
            tri.smooth = 0;
            frame.tris.push_back(tri);
        }
        scene.settings.object_sizes.push_back(2);
    }
    scene.frames.push_back(frame);
    writer::sync_counts(scene.settings, frame);
    return scene;
}

Picture render(const std::string& threads) {
    TempDir dir;
    writer::write_scene(dir.path(), sheet_scene());
    const char* names[] = {"mask.iim", "grey.iim", "rgb.iim", "mrgb.iim"};
    const int16_t types[] = {0, 1, 4, 5};
    for (int i = 0; i < 4; ++i) writer::write_file(dir / names[i], image_bytes(types[i]));
    const RunResult run = run_zyray(dir.path(), "OMP_NUM_THREADS=" + threads);
    EXPECT_NE(run.output.find("It's the END"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("[1]["), std::string::npos) << run.output;
    return read_tiff(dir / "sheet.tif");
}

TEST(RenderedMaterials, EveryKindShowsAndThreadsDoNotChangeTheBytes) {
    const Picture one = render("1");
    const Picture many = render("4");
    ASSERT_EQ(one.rgb.size(), 64u * 48u * 3u);
    EXPECT_TRUE(one.rgb == many.rgb) << "picture depends on the thread count";
    std::set<uint32_t> colours;
    for (std::size_t i = 0; i + 2 < one.rgb.size(); i += 3)
        colours.insert(one.rgb[i] << 16 | one.rgb[i + 1] << 8 | one.rgb[i + 2]);
    EXPECT_GT(colours.size(), 500u);  // patterns, bumps and images, not flat cells
}

}  // namespace
}  // namespace zy::test
