// Every pattern, every bump and every image format rendered by the real program:
// the picture shows them, and it does not depend on the number of threads.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "render/test_scenes.h"
#include "scene/rt_var.h"

namespace zy::test {
namespace {

// 30 % ambient, 70 % diffuse, 40 % specular of exponent 20.
RT_MAT_BLOCK lit(uint8_t r, uint8_t g, uint8_t b) { return {{r, g, b}, 0, 30, 70, 40, 10, 0, 0, 0, 0}; }

// Cell 0..31 a pattern, 32..39 a bump, 40..47 an image of each format.
RT_SRF sheet_surface(int cell) {
    RT_SRF s{};
    s.mat[0] = lit(230, 200, 120);
    s.mat[1] = lit(40, 60, 150);
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

// A wall of 8 x 6 unit cells standing on a patterned, tiled floor, 64 x 48 pixels.
SceneBuilder sheet_scene() {
    SceneBuilder b;
    b.scene().shade.scene = "SHEET";
    RT_INF& inf = b.settings();
    inf.res_x = 64;
    inf.res_y = 48;
    inf.aa_level = 1;
    inf.flags = kLights | kFloor;
    inf.floor_mat[0] = lit(200, 200, 200);
    inf.floor_mat[1] = lit(90, 90, 90);
    inf.floor_ptrn_type = 28;
    inf.floor_ptrn_scale = inf.floor_bump_scale = 0.02f;
    inf.floor_bump_type = 8;
    inf.floor_bump_depth = 0.5f;
    inf.wave_period = 4;
    b.scene().settings.texture_names = {"MASK.IIM", "GREY.IIM", "RGB.IIM", "MRGB.IIM"};
    b.frame().cam.eye = {0, 4, -9};
    b.frame().cam.look_at = {0, 2.6f, 0};
    b.frame().cam.fov = 55.0;
    b.light({-3, 4, -8}, 255, 255, 255);
    const int8_t matrix_set = b.identity_matrices();
    MAT4_64& image = b.frame().matrices[matrix_set][2];  // images at 4 pixels a unit
    image.m[0][0] = image.m[1][1] = image.m[2][2] = 4.0;
    for (int cell = 0; cell < 48; ++cell) {
        const int16_t srf = b.surface(sheet_surface(cell));
        const float x0 = static_cast<float>(cell % 8 - 4), y0 = static_cast<float>(6 - cell / 8) - 0.8f;
        const float x1 = x0 + 0.95f, y1 = y0 + 0.95f;
        b.triangle({x0, y0, 0}, {x0, y1, 0}, {x1, y1, 0}, srf);
        b.triangle({x0, y0, 0}, {x1, y1, 0}, {x1, y0, 0}, srf);
    }
    for (RT_TRI& tri : b.frame().tris) tri.mat_index = matrix_set;
    return b;
}

Picture render(const std::string& threads) {
    TempDir dir;
    sheet_scene().write(dir.path());
    const std::pair<const char*, int16_t> images[] = {{"mask.iim", 0}, {"grey.iim", 1}, {"rgb.iim", 4}, {"mrgb.iim", 5}};
    for (auto [name, type] : images) {  // 4 x 4 pixels, varied
        writer::TextureFile t{{type, 0, 4, 4}, writer::Bytes(type == 0 ? 4 : 16 * (type == 1 ? 1 : type - 1))};
        for (std::size_t i = 0; i < t.pixels.size(); ++i) t.pixels[i] = static_cast<uint8_t>(i * 73 + 5);
        writer::write_file(dir / name, writer::texture_file_bytes(t));
    }
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
