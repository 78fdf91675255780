// Model files: their materials, cameras and lights, the standard size of a
// model shown alone, the fitted camera and the up axis.
#include <gtest/gtest.h>

#include <cmath>

#include "zyscene_fixture.h"

namespace zy::zyscene::test {
namespace {

using zy::test::TempDir;

void expect_near(const V3D& actual, const V3D& expected, double tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// tetra.obj: a tetrahedron whose four faces each take one material of m.mtl.
void copy_tetra(const TempDir& dir) {
    for (const char* file : {"tetra.obj", "m.mtl"}) fs::copy_file(fs::path(ZY_TEST_DATA) / file, dir / file);
}

TEST(ModelFiles, MaterialsBecomeSurfacesByTheTableOrGoToNamedOnes) {
    TempDir dir;
    copy_tetra(dir);
    const CompiledScene scene = compile_text(dir.path(), "{" + kCamera + R"(,
      "surfaces": {"chrome": {"material": {"reflection": 90}, "flags": ["metal"]}},
      "objects": [{"name": "t", "mesh": "tetra.obj", "materials": {"matte": "chrome"}}]})");
    // chrome, then t/red_plastic, t/clear_glass, t/glow in the order the triangles use them.
    const auto& s = scene.settings.surfaces;
    ASSERT_EQ(s.size(), 4u);
    struct Row {
        int surface;
        std::array<int, 3> colour;
        int specular, exponent, transparency, luminous, refraction, flags;
    };
    // The file's colours are those seen: red 0.8 (204) is stored as 163, which shows 204.
    const Row rows[] = {{1, {163, 0, 0}, 100, 200, 0, 0, 0, 0},
                        {2, {255, 255, 255}, 76, 100, 95, 0, 2, 8 | 2},
                        {3, {255, 64, 0}, 0, 20, 0, 100, 0, 0}};
    for (const Row& r : rows) {
        const RT_MAT_BLOCK& m = s[r.surface].mat[0];
        EXPECT_EQ((std::array<int, 3>{m.color[0], m.color[1], m.color[2]}), r.colour) << r.surface;
        EXPECT_EQ(m.specular, r.specular) << r.surface;
        EXPECT_EQ(m.spec_exp * 2, r.exponent) << r.surface;
        EXPECT_EQ(m.transp, r.transparency) << r.surface;
        EXPECT_EQ(m.luminous, r.luminous) << r.surface;
        EXPECT_EQ(m.refraction, r.refraction) << r.surface;
        EXPECT_EQ(s[r.surface].srf_flags, r.flags) << r.surface;
    }
    std::vector<int> per_triangle;
    for (const RT_TRI& t : scene.frame(0).tris) per_triangle.push_back(t.srf);
    EXPECT_EQ(per_triangle, (std::vector<int>{1, 2, 3, 0}));

    EXPECT_EQ(compile_error(dir.path(), "{" + kCamera + R"(, "objects": [{"mesh": "tetra.obj", "materials": {"wheel": "x"}}]})"),
              (dir / "scene.json").string() +
                  R"(:1:113: /objects/0/materials/wheel: no surface is named "x" (the description names none))");
    // An object without a name names its surfaces by its index.
    const std::string unnamed = R"(, "surfaces": {"0/glow": {}}, "objects": [{"mesh": "tetra.obj"}]})";
    EXPECT_NE(compile_error(dir.path(), "{" + kCamera + unnamed).find(R"(makes a surface "0/glow", a name already taken)"),
              std::string::npos);
}

TEST(ModelFiles, CameraAndLightsFromAFileKeepTheirPlaceNextToTheModel) {
    TempDir dir;
    // A triangle with a camera 45 degrees round y at [1, 2, 10] and a point light at [3, 4, 5].
    fs::copy_file(fs::path(ZY_TEST_DATA) / "camera_and_light.gltf", dir / "m.gltf");
    const CompiledScene scene = compile_text(dir.path(), R"({"render": {"width": 400, "height": 100},
      "camera": {"from_file": "m.gltf", "name": "Cam"}, "lights": [{"position": [0, 9, 0]}, {"from_file": "m.gltf"}],
      "objects": [{"mesh": "m.gltf", "transform": {"translate": [0, 5, 0]}}]})");
    const writer::FrameBlock first = scene.frame(0);
    const RT_CAM& c = first.cam;
    // Mirrored into the left-handed frame: z turns round.
    expect_near({c.eye.x, c.eye.y, c.eye.z}, {1, 7, -10}, 1e-5);
    expect_near({c.look_at.x - c.eye.x, c.look_at.y - c.eye.y, c.look_at.z - c.eye.z}, {-M_SQRT1_2, 0, M_SQRT1_2}, 1e-5);
    // The vertical angle of 0.5 radians, across a picture 4 times as wide as high.
    EXPECT_NEAR(c.fov, 2 * std::atan(std::tan(0.25) * 4) * 180 / M_PI, 1e-9);
    ASSERT_EQ(first.lights.size(), 2u);
    const RT_LIGHT& l = first.lights[1];
    expect_near({l.pos.x, l.pos.y, l.pos.z}, {3, 9, -5}, 1e-5);
    EXPECT_EQ((std::array<int, 3>{l.color[0], l.color[1], l.color[2]}), (std::array<int, 3>{204, 102, 51}));
}

// Every corner of the box projects inside the picture less its margins, and one touches them.
TEST(ModelFiles, FitPutsTheProjectedBoxInsideThePictureTouchingTheMargin) {
    TempDir dir;
    for (const char* view : {R"("three_quarter")", R"("top")", "[1, -2, 0.5]"}) {
        const CompiledScene scene = compile_text(dir.path(), std::string(R"({"render": {"width": 300, "height": 200},
          "camera": {"fit": {"view": )") + view + R"(, "margin": 0.1}, "fov": 50},
          "objects": [{"box": {"size": [3, 1, 2]}, "surface": "s", "transform": {"translate": [5, 0, 0]}}],
          "surfaces": {"s": {}}})");
        const RT_CAM c = scene.frame(0).cam;
        const V3D eye{c.eye.x, c.eye.y, c.eye.z};
        V3D f{c.look_at.x - eye.x, c.look_at.y - eye.y, c.look_at.z - eye.z}, r, u;
        v3d_nrm(f);
        v3d_mul(f, V3D{c.sky.x, c.sky.y, c.sky.z}, r);
        v3d_nrm(r);
        v3d_mul(r, f, u);
        const double half = std::tan(c.fov * M_PI / 360);
        double widest = 0;
        for (int k = 0; k < 8; ++k) {
            const V3D o{(k & 1 ? 6.5 : 3.5) - eye.x, (k & 2 ? 0.5 : -0.5) - eye.y, (k & 4 ? 1.0 : -1.0) - eye.z};
            const double depth = v3d_scal(o, f);
            widest = std::max({widest, std::abs(v3d_scal(o, r)) / depth / half,
                               std::abs(v3d_scal(o, u)) / depth / (half * 200 / 300)});
        }
        EXPECT_NEAR(widest, 0.8, 1e-6) << view;
    }
}

TEST(ModelFiles, AModelAloneStandsOnTheFloorAtTheStandardSizeUprightWhenZIsUp) {
    TempDir dir;
    copy_tetra(dir);
    const CompiledScene scene = compile_scene(dir / "tetra.obj");
    EXPECT_EQ(scene.shade.scene, "tetra");
    const writer::FrameBlock first = scene.frame(0);
    EXPECT_EQ(first.lights.size(), 2u);  // key and fill
    V3D lo{1e9, 1e9, 1e9}, hi{-1e9, -1e9, -1e9};
    for (const V3S& p : first.points) {
        lo = {std::min<double>(lo.x, p.x), std::min<double>(lo.y, p.y), std::min<double>(lo.z, p.z)};
        hi = {std::max<double>(hi.x, p.x), std::max<double>(hi.y, p.y), std::max<double>(hi.z, p.z)};
    }
    expect_near(lo, {-4.0 / 3, -0.05, -2}, 1e-6);
    expect_near(hi, {4.0 / 3, 4.0 / 3 - 0.05, 2}, 1e-6);

    // The file's +z goes up, its +y away from the camera.
    const CompiledScene upright = compile_text(dir.path(), "{" + kCamera + R"(,
      "objects": [{"mesh": {"file": "tetra.obj", "up": "z"}}]})");
    const auto p = upright.frame(0).points;
    expect_near({p[1].x, p[1].y, p[1].z}, {0, 0, 1}, 0);
    expect_near({p[3].x, p[3].y, p[3].z}, {0, 3, 0}, 0);
}

// One line per kind, naming the first frame; a room around the eye is no fault.
TEST(ModelFiles, FramingWarningsNameTheFirstFrame) {
    TempDir dir;
    const struct {
        std::string members, warning;
    } cases[] = {
        {R"("camera": {"eye": [0, 0, -2], "look_at": [0, -1, 3]}, "objects": [{"box": {"size": [10, 4, 10]},
           "surface": "s"}, {"box": {"size": [1, 0.1, 1]}, "surface": "s", "transform": {"translate": [0, -1, 3]}}])",
         ""},
        {R"("camera": {"eye": [0, 0, -10], "look_at": [0, 0, -20]}, "objects": [{"box": {}, "surface": "s"}])",
         "no object is in the camera's view at frame 1"},
        {R"("render": {"frames": 4}, "camera": {"eye": [0, 0, -10], "look_at": [0, 0, 0], "fov": 20}, "objects":
           [{"box": {}, "surface": "s", "transform": {"translate": {"2": [0, 0, 0], "3": [30, 0, 0]}}}])",
         "no object is in the camera's view at frame 3 and 1 more of the 4"},
        {R"("camera": {"eye": [0, 0, 0.1], "look_at": [0, 0, 30]}, "objects": [{"name": "bolt", "box": {"size":
           [0.5, 0.5, 0.5]}, "surface": "s"}, {"box": {}, "surface": "s", "transform": {"translate": [0, 0, 30]}}])",
         "the eye is inside the box of object \"bolt\" at frame 1, 0.5 across, small next to the view's reach of "
         "30.4: the picture may show only its inside"},
        {R"("camera": {"eye": [0, 0, -2], "look_at": [0, 0, 0]}, "objects": [{"name": "engine", "box": {"size":
           [500, 300, 400]}, "surface": "s"}])",
         "the eye is inside the box of object \"engine\" at frame 1, 500 across, 250 times the eye's distance to "
         "the look-at point: its units may not be the camera's (millimetres?)"},
    };
    for (const auto& c : cases) {
        const auto warnings = compile_text(dir.path(), "{" + c.members + R"(, "surfaces": {"s": {}}})").warnings;
        EXPECT_EQ(warnings, c.warning.empty() ? std::vector<std::string>{} : std::vector{c.warning}) << c.members;
    }
}

}  // namespace
}  // namespace zy::zyscene::test
