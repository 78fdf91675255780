#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "driver/stop.h"
#include "render/test_scenes.h"
#include "scene/frame_loader.h"
#include "scene/rt_var.h"
#include "scene/settings_loader.h"

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
// Writes the scene, lets edit replace or remove its frame file, loads the
// settings and frame 0 in-process and runs check when loading went through.
// Returns the stop's error number, or -1.
int load_frame(const writer::Scene& scene, const std::function<void(const fs::path&)>& edit = nullptr,
               const std::function<void()>& check = nullptr) {
    test::InProcess run;
    writer::write_scene(run.folder(), scene);
    if (edit) edit(run.folder() / writer::scene_file_name(scene, ".sys"));
    testing::internal::CaptureStdout();
    const int error = test::stop_error_of([] {
        rt_load_info();
        rt_load_frame(0);
    });
    testing::internal::GetCapturedStdout();
    if (error == -1 && check) check();
    return error;
}

void expect_vec(const V3D& v, double x, double y, double z) {
    EXPECT_TRUE(v.x == x && v.y == y && v.z == z) << v.x << ", " << v.y << ", " << v.z;
}

// What the loader makes of rich_scene's frame.
void check_rich_frame() {
    // Positions become relative to the look-at point; directions are not shifted.
    expect_vec(rt_var.pov, 1, 2, 3);
    expect_vec(rt_var.look_at, 0, 0, 0);
    expect_vec(rt_var.eye, 0, 0, -10);
    expect_vec(rt_var.sky, 0, -1, -0.5);
    EXPECT_EQ(rt_var.fov_x, 25.0);
    expect_vec(rt_var.points[3], -1, -2, 5);
    const LIGHT &lamp = rt_var.lights[0], &sphere = rt_var.lights[1];
    expect_vec(lamp.pos, 10, 10, 10);
    expect_vec(lamp.dir, 0, -1, 0);
    EXPECT_NEAR(lamp.col.r, 1.0, 1e-15);
    EXPECT_NEAR(lamp.col.g, 0.2, 1e-15);
    EXPECT_TRUE(lamp.att0 == 1.0 && lamp.att1 == 0.0025 && sphere.att1 == 0.025 && sphere.kind == 1);
    // A hard cone edge: both cosines of the half angle; a fully soft one starts at the axis.
    EXPECT_NEAR(lamp.cos_out, std::sqrt(3.0) / 2, 1e-15);
    EXPECT_TRUE(lamp.cos_in == lamp.cos_out && sphere.cos_in == 1.0);
    ASSERT_EQ(rt_var.n_light_refs_stored, 1);
    EXPECT_EQ(rt_var.light_refs[0], &sphere);
    // The triple fills the pattern, bump and image matrices in that order.
    EXPECT_TRUE(rt_var.ptrn_mat[0].m[3][0] == 10.0 && rt_var.bump_mat[0].m[3][0] == 20.0 &&
                rt_var.img_mat[0].m[3][0] == 30.0 && rt_var.img_mat[0].m[1][1] == 1.0);

    const TRIANGLE &smooth = rt_var.tris[0], &glass = rt_var.tris[1];
    EXPECT_EQ(smooth.flags, kTriOpaque);
    EXPECT_EQ(glass.flags, kTriFlat);  // flat, and one material lets light through
    EXPECT_TRUE(smooth.v[2] == &rt_var.points[2] && glass.v[0] == &rt_var.points[3]);
    EXPECT_TRUE(smooth.mat_index == 0 && glass.mat_index == -1 && glass.srf_index == 1 && smooth.group == 0);
    expect_vec(smooth.vn[0], 0, 0, -1);
    expect_vec(smooth.vn[1], 0, 0, 0);
    EXPECT_TRUE(std::fabs(smooth.vn[2].x - 0.6) < 1e-15 && std::fabs(smooth.vn[2].z + 0.8) < 1e-15);
    // The set-up ran: the plane z = 0 of the shifted points, counter-clockwise seen from -z.
    EXPECT_TRUE(smooth.nrm.z == 1.0 && smooth.d == 0.0);
}

TEST(FrameLoader, CameraPointsLightsMatricesAndTriangles) {
    EXPECT_EQ(load_frame(rich_scene(), nullptr, check_rich_frame), -1);
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
    EXPECT_EQ(load_frame(s, [](const fs::path& sys) { fs::remove(sys); }), kErrFormat);
    EXPECT_EQ(load_frame(s, [&](const fs::path& sys) { writer::write_file(sys, magic); }), kErrFormat);
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
            ASSERT_EQ(load_frame(s, [&](const fs::path& sys) { writer::write_file(sys, part); }), kErrRead) << cut;
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
