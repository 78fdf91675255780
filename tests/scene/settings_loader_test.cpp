#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>

#include "driver/program_state.h"
#include "driver/stop.h"
#include "driver/memoire.h"
#include "scene/rt_var.h"
#include "scene/settings_loader.h"
#include "support/test_support.h"

namespace zy {
namespace {

using test::InProcess;
using test::stop_error_of;
using writer::Scene;

// Loads the scene's shade, settings and (optional) break file in-process and
// returns the stop's error number, or -1 when loading went through.
int load(const Scene& scene, const writer::Bytes* break_file = nullptr) {
    InProcess run;
    writer::write_scene(run.folder(), scene);
    if (break_file) writer::write_file(run.folder() / writer::scene_file_name(scene, ".brk"), *break_file);
    testing::internal::CaptureStdout();
    const int error = stop_error_of(rt_load_info);
    testing::internal::GetCapturedStdout();
    return error;
}

TEST(SettingsLoader, ConvertsEverySettingAsTheRendererUsesIt) {
    Scene scene = test::small_scene();
    RT_INF& inf = scene.settings.inf;
    std::strcpy(inf.path, "C:\\SCENES\\");
    inf.res_x = 320;
    inf.res_y = 240;
    inf.aa_level = 1;
    inf.max_depth = 5;
    inf.flags = 1 | 4 | 16 | 32;
    inf.sky_height = 50;
    inf.sky_color1[0] = 255;
    inf.cloud_a = 40;
    inf.cloud_b = 20;
    inf.fog_distance = 12.5f;
    inf.frame_start = 3;
    inf.frame_count = 7;
    inf.wave_period = 9;
    inf.options = 1;
    scene.settings.surfaces[0].mat[0].refraction = 2;
    scene.settings.surfaces[0].mat[0].spec_exp = 21;
    scene.settings.surfaces[0].mat[0].transp = 85;

    InProcess run;
    writer::write_scene(run.folder(), scene);
    testing::internal::CaptureStdout();
    ASSERT_EQ(stop_error_of(rt_load_info), -1);
    const std::string out = testing::internal::GetCapturedStdout();
    // The break file probe fails quietly apart from the file layer's lines.
    EXPECT_NE(out.find("Fopen() : C:\\scenes\\test.brk\nfopen n'a pas march\x8e\n"), std::string::npos);

    EXPECT_STREQ(rt_var.path, "C:\\SCENES\\");
    EXPECT_STREQ(scnname, "TEST");
    EXPECT_EQ(rt_var.res_x, 320);
    EXPECT_EQ(rt_var.res_y, 240);
    EXPECT_EQ(rt_var.aa_tolerance, 0.2);
    EXPECT_EQ(rt_var.aa_tolerance2, 0.8);
    EXPECT_EQ(rt_var.reflect_on + 2 * rt_var.refract_on + 4 * rt_var.light_on + 8 * rt_var.floor_on +
                  16 * rt_var.clouds_on + 32 * rt_var.fog_on,
              1 + 4 + 16 + 32);
    EXPECT_EQ(rt_var.sky_height, 1500000.0);
    EXPECT_EQ(rt_var.sky_color1.r, 1.0000000000000002);
    EXPECT_EQ(rt_var.sky_color1.g, 0.0);
    EXPECT_EQ(rt_var.cloud_a, 0.4);
    EXPECT_EQ(rt_var.cloud_b, 0.2 + 0.5);
    EXPECT_EQ(rt_var.fog_distance, 12.5);
    EXPECT_NEAR(rt_var.floor_radius, 62514023.2268, 1e-3);
    EXPECT_EQ(floor_radius_sqr, rt_var.floor_radius * rt_var.floor_radius);
    EXPECT_EQ(rt_var.frame_current, 3);
    EXPECT_EQ(rt_var.frame_count, 7);
    EXPECT_EQ(rt_var.wave_period, 9);
    EXPECT_EQ(autosave, 1);
    EXPECT_EQ(first_frame, 0);
    const MATERIAL& m = rt_var.surfaces[0].mat[0];
    EXPECT_EQ(m.color.r, 200 / 254.99999999999997);
    EXPECT_EQ(m.ambient, 1.0);
    EXPECT_EQ(m.spec_exp, 42.0);
    EXPECT_EQ(m.transp, 0.85);
    EXPECT_EQ(m.refraction, 1.4588);
    EXPECT_EQ(rt_var.obj_tri_count[0], 1);
    EXPECT_NE(rt_var.tris, nullptr);
    EXPECT_NE(rt_var.points, nullptr);
    EXPECT_EQ(rt_var.lights, nullptr);
}

TEST(SettingsLoader, AnAntialiasLevelOutsideTheTableLeavesBothTolerancesZero) {
    Scene scene = test::small_scene();
    scene.settings.inf.aa_level = 3;
    InProcess run;
    writer::write_scene(run.folder(), scene);
    testing::internal::CaptureStdout();
    ASSERT_EQ(stop_error_of(rt_load_info), -1);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(rt_var.aa_tolerance, 0.0);
    EXPECT_EQ(rt_var.aa_tolerance2, 0.0);
}

TEST(SettingsLoader, EveryCutOfTheSettingsFileIsAReadError) {
    Scene scene = test::small_scene();
    scene.settings.texture_names = {"A.IIM"};
    scene.settings.inf.n_img = 1;
    const writer::Bytes full = writer::settings_file_bytes(scene.settings);
    for (std::size_t cut = 0; cut < full.size(); ++cut) {
        InProcess run;
        writer::write_scene(run.folder(), scene);
        writer::write_file(run.folder() / "test.inf", writer::Bytes(full.begin(), full.begin() + cut));
        testing::internal::CaptureStdout();
        const int error = stop_error_of(rt_load_info);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(error, kErrRead) << "cut at " << cut;
    }
}

TEST(SettingsLoader, MissingFilesAndWrongMagics) {
    Scene scene = test::small_scene();
    {
        InProcess run;
        testing::internal::CaptureStdout();
        EXPECT_EQ(stop_error_of(rt_load_info), kErrOpen);
        testing::internal::GetCapturedStdout();
    }
    {
        InProcess run;
        writer::write_file(run.folder() / "zy_shade.xpa", writer::shade_file_bytes(scene.shade));
        testing::internal::CaptureStdout();
        EXPECT_EQ(stop_error_of(rt_load_info), kErrOpen);
        testing::internal::GetCapturedStdout();
    }
    Scene bad_shade = scene;
    bad_shade.shade.magic[7] = '\0';
    EXPECT_EQ(load(bad_shade), kErrFormat);
    InProcess run;
    writer::write_scene(run.folder(), scene);
    writer::Bytes settings = writer::settings_file_bytes(scene.settings);
    settings[7] = '_';
    writer::write_file(run.folder() / "test.inf", settings);
    testing::internal::CaptureStdout();
    EXPECT_EQ(stop_error_of(rt_load_info), kErrFormat);
    testing::internal::GetCapturedStdout();
}

TEST(SettingsLoader, LongNamesAreCutWithinTheirFields) {
    Scene scene = test::small_scene();
    std::memset(scene.settings.inf.path, 'P', sizeof scene.settings.inf.path);
    scene.shade.scene = "ABCDEFGHIJKLMNOP";  // 14 bytes stored without a terminator
    InProcess run;
    writer::write_scene(run.folder(), scene);
    // The settings file is looked up by the cut scene name.
    writer::write_file(run.folder() / "abcdefghijklm.inf", writer::settings_file_bytes(scene.settings));
    testing::internal::CaptureStdout();
    EXPECT_EQ(stop_error_of(rt_load_info), -1);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(std::strlen(rt_var.path), 81u);
    EXPECT_STREQ(scnname, "ABCDEFGHIJKLM");
}

struct BadValue {
    const char* what;
    std::function<void(writer::SettingsFile&)> change;
};

TEST(SettingsLoader, ValuesThatWouldReachOutsideATableOrDivideByZeroAreFormatErrors) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::vector<BadValue> cases = {
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
             s.inf.n_img = 1;
             s.texture_names = {"A.IIM"};
             s.surfaces[0].srf_flags = 1;
             s.surfaces[0].img_mode = 1;
         }},
        {"bump depth infinite", [=](auto& s) { s.surfaces[0].bump_depth = inf; }},
        {"negative object size", [](auto& s) { s.object_sizes[0] = -1; }},
        {"objects beyond the triangles", [](auto& s) { s.object_sizes.push_back(1); s.inf.n_obj = 2; }},
        {"floor pattern 40", [](auto& s) { s.inf.flags = 8; s.inf.floor_ptrn_type = 40; s.inf.floor_ptrn_scale = 1; }},
        {"floor refraction 9", [](auto& s) { s.inf.flags = 8; s.inf.floor_mat[0].refraction = 9; }},
        {"floor bump scale NaN", [=](auto& s) { s.inf.flags = 8; s.inf.floor_bump_scale = nan; }},
    };
    for (const auto& c : cases) {
        Scene scene = test::small_scene();
        c.change(scene.settings);
        EXPECT_EQ(load(scene), kErrFormat) << c.what;
    }
}

TEST(SettingsLoader, AcceptedEdgeValues) {
    Scene scene = test::small_scene();
    scene.settings.inf.frame_count = 0;
    scene.settings.inf.res_y = 32766;
    scene.settings.inf.max_depth = 64;
    scene.settings.inf.floor_ptrn_type = 99;  // the floor is off: its fields are not used
    scene.settings.inf.n_tri = 2;             // objects may cover fewer triangles than exist
    scene.settings.surfaces[0].srf_flags = 2;
    EXPECT_EQ(load(scene), -1);
}

TEST(SettingsLoader, BreakFileSetsTheResumePointOrIsRefused) {
    const Scene scene = test::small_scene();
    {
        InProcess run;
        writer::write_scene(run.folder(), scene);
        writer::write_file(run.folder() / "test.brk", writer::break_file_bytes(4, 10));
        testing::internal::CaptureStdout();
        ASSERT_EQ(stop_error_of(rt_load_info), -1);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(first_frame, 4);
        EXPECT_EQ(first_line, 10);
        EXPECT_EQ(actframe, 4);
        EXPECT_EQ(rt_var.frame_current, 4);
    }
    const writer::Bytes short_file{0, 1, 0};
    EXPECT_EQ(load(scene, &short_file), kErrRead);
    const writer::Bytes negative_frame = writer::break_file_bytes(-1, 0);
    EXPECT_EQ(load(scene, &negative_frame), kErrFormat);
    const writer::Bytes odd_line = writer::break_file_bytes(0, 3);
    EXPECT_EQ(load(scene, &odd_line), kErrFormat);
}

TEST(SettingsLoader, AnAllocationFailureIsAMemoryError) {
    const Scene scene = test::small_scene();
    InProcess run;
    writer::write_scene(run.folder(), scene);
    testing::internal::CaptureStdout();
    memoire_fail_after(1);
    EXPECT_EQ(stop_error_of(rt_load_info), kErrMemory);
    memoire_fail_after(-1);
    testing::internal::GetCapturedStdout();
}

}  // namespace
}  // namespace zy
