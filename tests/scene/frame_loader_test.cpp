#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "driver/stop.h"
#include "geometry/triangle.h"
#include "render/test_scenes.h"
#include "scene/frame_loader.h"
#include "scene/rt_var.h"
#include "scene/settings_loader.h"
#include "scene_loading.h"
#include "support/loaded_scene.h"

namespace zy {
namespace {

namespace fs = std::filesystem;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// Two surfaces (the second half transparent), two lights, one matrix triple,
// four points, two triangles; the camera looks at (1, 2, 3).
writer::Scene rich_scene() {
    writer::Scene scene = test::small_scene();
    RT_SRF glass = scene.settings.surfaces[0];
    glass.mat[1].transp = 50;
    scene.settings.surfaces.push_back(glass);
    scene.settings.object_sizes = {2};

    writer::FrameBlock& f = scene.frames[0];
    f.cam = {{1, 2, -7}, {1, 2, 3}, {0, 1, 0.5f}, 50.0, {}};
    const RT_LIGHT lamp{{255, 51, 0}, 0, {11, 12, 13}, {0, -1, 0}, 0, 2, 0, 60, {}};
    const RT_LIGHT sphere{{255, 51, 0}, 1, {11, 12, 13}, {0, -1, 0}, 0.5f, 3, 100, 60, {}};
    f.lights = {lamp, sphere};
    std::array<MAT4_64, 3> triple{};
    for (int k = 0; k < 3; ++k) {
        for (int i = 0; i < 4; ++i) triple[k].m[i][i] = 1.0;
        triple[k].m[3][0] = 10.0 * (k + 1);
    }
    f.matrices = {triple};
    f.points = {{-5, -5, 3}, {5, -5, 3}, {0, 5, 3}, {0, 0, 8}};
    const RT_TRI smooth{{0, 1, 2}, {{0, 0, -30000}, {0, 0, 0}, {3000, 0, -4000}}, 0, 0, 1, {}};
    const RT_TRI flat_glass{{3, 1, 2}, {}, 1, -1, 0, {}};
    f.tris = {smooth, flat_glass};
    writer::sync_counts(scene.settings, f);
    return scene;
}

// Loads the settings and frame 0 of the scene as load_scene does.
int load_frame(const writer::Scene& scene, const test::Edit& edit = nullptr,
               const std::function<void()>& check = nullptr) {
    return test::load_scene(scene, [] { rt_load_info(); rt_load_frame(0); }, edit, check);
}

TEST(FrameLoader, CameraPointsLightsMatricesAndTrianglesAsRecorded) {
    EXPECT_EQ(load_frame(rich_scene(), nullptr, [] {
                  test::expect_recorded(test::loaded_settings() + test::loaded_frame(4),
                                        fs::path(ZY_TEST_DATA) / "rich_frame.loaded");
              }),
              -1);
}

TEST(FrameLoader, VariantsOfTheScene) {
    const struct {
        const char* what;
        std::function<void(writer::Scene&)> change;
        std::function<bool()> holds;
    } cases[] = {
        {"two spheres, room for one", [](auto& s) { s.frames[0].lights[0].radius = 2.0f; },
         [] { return rt_var.n_light_refs_stored == 1 && rt_var.light_refs[0] == &rt_var.lights[0]; }},
        {"attenuation codes 0 and 1",
         [](auto& s) { s.frames[0].lights[0].attenuation = 0; s.frames[0].lights[1].attenuation = 1; },
         [] { return rt_var.lights[0].att1 == 0.0 && rt_var.lights[1].att1 == 0.0005; }},
        {"flat and opaque", [](auto& s) { s.frames[0].tris[0].smooth = 0; },
         [] { return rt_var.tris[0].flags == (kTriFlat | kTriOpaque); }},
        // The floor's materials are opaque.
        {"floor surface with the floor on", [](auto& s) { s.settings.inf.flags |= 8; s.frames[0].tris[1].srf = 2; },
         [] { return rt_var.tris[1].srf_index == 2 && rt_var.tris[1].flags == (kTriFlat | kTriOpaque); }},
    };
    for (const auto& c : cases) {
        writer::Scene s = rich_scene();
        c.change(s);
        bool holds = false;
        EXPECT_EQ(load_frame(s, nullptr, [&] { holds = c.holds(); }), -1) << c.what;
        EXPECT_TRUE(holds) << c.what;
    }
}

TEST(FrameLoader, MissingFrameFileOrWrongMagicIsAFormatError) {
    const writer::Scene s = rich_scene();
    writer::Bytes magic = writer::frame_file_bytes(s.frames);
    magic[7] = '_';
    EXPECT_EQ(load_frame(s, [](const fs::path& folder) { fs::remove(folder / "test.sys"); }), kErrFormat);
    EXPECT_EQ(load_frame(s, test::write("test.sys", magic)), kErrFormat);
}

TEST(FrameLoader, BlockCutShortAnywhereIsAReadError) {
    const writer::Scene s = rich_scene();
    const writer::FrameBlock& f = s.frames[0];
    const writer::Bytes whole = writer::frame_file_bytes(s.frames);
    // Cut at the start, one byte in, the middle and the last byte of every record
    // (size 0 included: with one frame it is a valid size and the magic read fails).
    std::vector<std::size_t> sizes = {8, sizeof(RT_CAM)};
    sizes.insert(sizes.end(), f.lights.size(), sizeof(RT_LIGHT));
    sizes.insert(sizes.end(), 3 * f.matrices.size(), sizeof(MAT4_64));
    sizes.insert(sizes.end(), f.points.size(), sizeof(V3S));
    sizes.insert(sizes.end(), f.tris.size(), sizeof(RT_TRI));
    std::size_t start = 0;
    for (std::size_t size : sizes) {
        for (std::size_t cut : {start, start + 1, start + size / 2, start + size - 1}) {
            const writer::Bytes part(whole.begin(), whole.begin() + static_cast<long>(cut));
            ASSERT_EQ(load_frame(s, test::write("test.sys", part)), kErrRead) << cut;
        }
        start += size;
    }
    ASSERT_EQ(start, whole.size());
}

TEST(FrameLoader, BadValuesStopWithTheirErrorNumber) {
    using Frame = writer::FrameBlock;
    const struct {
        const char* what;
        std::function<void(Frame&)> change;
        int error;
    } cases[] = {
        {"eye NaN", [](Frame& f) { f.cam.eye.x = kNaN; }, 6},
        {"look_at infinite", [](Frame& f) { f.cam.look_at.y = -kInf; }, 6},
        {"sky NaN", [](Frame& f) { f.cam.sky.z = kNaN; }, 6},
        {"angle infinite", [](Frame& f) { f.cam.fov = kInf; }, 6},
        {"light position NaN", [](Frame& f) { f.lights[1].pos.y = kNaN; }, 6},
        {"light direction infinite", [](Frame& f) { f.lights[0].dir.x = kInf; }, 6},
        {"light radius NaN", [](Frame& f) { f.lights[1].radius = kNaN; }, 6},
        {"attenuation 4", [](Frame& f) { f.lights[0].attenuation = 4; }, 6},
        {"attenuation -1", [](Frame& f) { f.lights[1].attenuation = -1; }, 6},
        {"matrix NaN", [](Frame& f) { f.matrices[0][2].m[2][3] = kNaN; }, 6},
        {"point infinite", [](Frame& f) { f.points[3].z = kInf; }, 6},
        {"vertex -1", [](Frame& f) { f.tris[1].vertex[2] = -1; }, 6},
        {"vertex n_pnt", [](Frame& f) { f.tris[1].vertex[0] = 4; }, 6},
        {"mat_index n_mat", [](Frame& f) { f.tris[1].mat_index = 1; }, 6},
        {"surface n_srf + 1", [](Frame& f) { f.tris[1].srf = 3; }, 8},
        {"floor surface, floor off", [](Frame& f) { f.tris[1].srf = 2; }, 8},
        {"vertex checked before surface", [](Frame& f) { f.tris[1].vertex[1] = 99; f.tris[1].srf = -5; }, 6},
        {"mat_index checked before surface", [](Frame& f) { f.tris[1].mat_index = 7; f.tris[1].srf = 300; }, 6},
    };
    for (const auto& c : cases) {
        writer::Scene s = rich_scene();
        c.change(s.frames[0]);
        EXPECT_EQ(load_frame(s), c.error) << c.what;
    }
}

}  // namespace
}  // namespace zy
