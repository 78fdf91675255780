#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>
#include <string>

#include "driver/program_state.h"
#include "driver/stop.h"
#include "render/test_scenes.h"
#include "scene/rt_var.h"
#include "scene/settings_loader.h"
#include "scene_loading.h"
#include "support/loaded_scene.h"

namespace zy {
namespace {

namespace fs = std::filesystem;
using test::small_scene;
using writer::Scene;
using test::Edit;
using test::write;

int load(const Scene& scene, const test::Edit& edit = nullptr, const std::function<void()>& check = nullptr) {
    return test::load_scene(scene, rt_load_info, edit, check);
}

// The conversions the conformance pictures leave open, as recorded.
TEST(SettingsLoader, ConvertsTheSettingsAsTheRendererUsesThem) {
    Scene scene = small_scene();
    RT_INF& inf = scene.settings.inf;
    std::strcpy(inf.path, "C:\\SCENES\\");
    inf.flags = 1 | 4 | 16 | 32;
    inf.sky_color1[0] = 255;
    inf.cloud_a = 40;
    inf.cloud_b = 20;
    inf.frame_start = 3;
    inf.frame_count = 7;
    inf.wave_period = 9;
    RT_MAT_BLOCK& mat = scene.settings.surfaces[0].mat[0];
    mat.refraction = 2;
    mat.spec_exp = 21;
    mat.transp = 85;
    ASSERT_EQ(load(scene, nullptr, [] {
                  test::expect_recorded(test::loaded_settings(), fs::path(ZY_TEST_DATA) / "converted.loaded");
              }),
              -1);
}

TEST(SettingsLoader, EveryCutOfTheSettingsFileIsAReadError) {
    Scene scene = small_scene();
    scene.settings.texture_names = {"A.IIM"};
    scene.settings.inf.n_img = 1;
    const writer::Bytes full = writer::settings_file_bytes(scene.settings);
    for (std::size_t cut = 0; cut < full.size(); ++cut)
        EXPECT_EQ(load(scene, write("test.inf", writer::Bytes(full.begin(), full.begin() + cut))), kErrRead) << cut;
}

TEST(SettingsLoader, MissingSettingsWrongMagicAndBadBreakFiles) {
    const Scene scene = small_scene();
    writer::Bytes bad_settings = writer::settings_file_bytes(scene.settings);
    bad_settings[7] = '_';
    const struct {
        const char* what;
        Edit edit;
        int error;
    } cases[] = {
        {"no settings file", [](const fs::path& f) { fs::remove(f / "test.inf"); }, kErrOpen},
        {"settings magic", write("test.inf", bad_settings), kErrFormat},
        {"negative break frame", write("test.brk", writer::break_file_bytes(-1, 0)), kErrFormat},
        {"odd break line", write("test.brk", writer::break_file_bytes(0, 3)), kErrFormat},
    };
    for (const auto& c : cases) EXPECT_EQ(load(scene, c.edit), c.error) << c.what;
}

TEST(SettingsLoader, LongNamesAreCutWithinTheirFields) {
    Scene scene = small_scene();
    std::memset(scene.settings.inf.path, 'P', sizeof scene.settings.inf.path);
    scene.shade.scene = "ABCDEFGHIJKLMNOP";  // 14 bytes stored without a terminator
    // The settings file is looked up by the cut scene name.
    EXPECT_EQ(load(scene, write("abcdefghijklm.inf", writer::settings_file_bytes(scene.settings)),
                   [] {
                       EXPECT_EQ(std::strlen(rt_var.path), 81u);
                       EXPECT_STREQ(scnname, "ABCDEFGHIJKLM");
                   }),
              -1);
}

TEST(SettingsLoader, ValuesThatWouldReachOutsideATableOrDivideByZeroAreFormatErrors) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const struct {
        const char* what;
        std::function<void(writer::SettingsFile&)> change;
    } cases[] = {
        {"negative point count", [](auto& s) { s.inf.n_pnt = -1; }},
        {"negative light count", [](auto& s) { s.inf.n_light = -2; }},
        {"negative matrix count", [](auto& s) { s.inf.n_mat = -1; }},
        {"65 textures", [](auto& s) { s.inf.n_img = 65; }},
        {"width 0", [](auto& s) { s.inf.res_x = 0; }},
        {"height 0", [](auto& s) { s.inf.res_y = 0; }},
        {"height 32767", [](auto& s) { s.inf.res_y = 32767; }},
        {"depth 65", [](auto& s) { s.inf.max_depth = 65; }},
        {"fog distance NaN", [=](auto& s) { s.inf.fog_distance = nan; }},
        {"refraction code 5", [](auto& s) { s.surfaces[0].mat[1].refraction = 5; }},
        {"pattern 33", [](auto& s) { s.surfaces[0].ptrn_type = 33; s.surfaces[0].ptrn_scale = 1; }},
        {"orientation 4", [](auto& s) { s.surfaces[0].ptrn_arg = 4; }},
        {"bump 9", [](auto& s) { s.surfaces[0].bump_type = 9; s.surfaces[0].bump_scale = 1; }},
        {"pattern scale 0", [](auto& s) { s.surfaces[0].ptrn_type = 1; }},
        {"bump scale 0", [](auto& s) { s.surfaces[0].bump_type = 1; }},
        {"waves without period", [](auto& s) { s.inf.wave_period = 0; s.surfaces[0].bump_type = 6; s.surfaces[0].bump_scale = 1; }},
        {"image index beyond the images", [](auto& s) { s.surfaces[0].srf_flags = 1; }},
        {"cylinder without angle", [](auto& s) {
             s.inf.n_img = s.surfaces[0].srf_flags = s.surfaces[0].img_mode = 1;
             s.texture_names = {"A.IIM"};
         }},
        {"bump depth infinite", [=](auto& s) { s.surfaces[0].bump_depth = inf; }},
        {"negative object size", [](auto& s) { s.object_sizes[0] = -1; }},
        {"objects beyond the triangles", [](auto& s) { s.object_sizes.push_back(1); s.inf.n_obj = 2; }},
        {"floor pattern 40", [](auto& s) { s.inf.flags = 8; s.inf.floor_ptrn_type = 40; s.inf.floor_ptrn_scale = 1; }},
        {"floor refraction 9", [](auto& s) { s.inf.flags = 8; s.inf.floor_mat[0].refraction = 9; }},
        {"floor bump scale NaN", [=](auto& s) { s.inf.flags = 8; s.inf.floor_bump_scale = nan; }},
    };
    for (const auto& c : cases) {
        Scene scene = small_scene();
        c.change(scene.settings);
        EXPECT_EQ(load(scene), kErrFormat) << c.what;
    }
}

TEST(SettingsLoader, AcceptedEdgeValues) {
    Scene scene = small_scene();
    RT_INF& inf = scene.settings.inf;
    inf.frame_count = 0;
    inf.res_y = 32766;
    inf.max_depth = 64;
    inf.aa_level = 3;          // outside the table: both tolerances zero
    inf.floor_ptrn_type = 99;  // the floor is off: its fields are not used
    inf.n_tri = 2;             // objects may cover fewer triangles than exist
    scene.settings.surfaces[0].srf_flags = 2;
    EXPECT_EQ(load(scene, nullptr, [] { EXPECT_TRUE(rt_var.aa_tolerance == 0.0 && rt_var.aa_tolerance2 == 0.0); }), -1);
}

}  // namespace
}  // namespace zy
