// Texture images: written by the compiler, read back by the renderer's
// texture loader and looked up by its image materials.
#include <gtest/gtest.h>
#include <stb/stb_image_write.h>

#include <string>
#include <vector>

#include "driver/program.h"
#include "materials/image_material.h"
#include "materials/materials.h"
#include "scene/image_loader.h"
#include "scene/rt_var.h"
#include "support/loaded_scene.h"
#include "zyscene_fixture.h"

namespace zy::zyscene::test {
namespace {

using zy::test::InProcess;

// Writes a PNG of width x height pixels with the given channels per pixel.
void write_png(const fs::path& file, int width, int height, int channels, const std::vector<uint8_t>& pixels) {
    ASSERT_EQ(pixels.size(), static_cast<std::size_t>(width * height * channels));
    ASSERT_NE(stbi_write_png(file.string().c_str(), width, height, channels, pixels.data(), width * channels), 0);
}

// Compiles the description, loads it and its images into the renderer.
void load_with_images(const InProcess& run, const std::string& text) {
    ASSERT_EQ(load_back(compile_text(run.folder(), text)), -1);
    ASSERT_EQ(quiet_stop_error([] { rt_read_images(); }), -1);
}

TEST(Textures, EveryPixelTypeReachesTheTextureLoader) {
    InProcess run;
    write_png(run.folder() / "grey.png", 3, 2, 1, {0, 100, 255, 7, 8, 9});
    write_png(run.folder() / "rgb.png", 2, 1, 3, {10, 20, 30, 40, 50, 60});
    write_png(run.folder() / "rgba.png", 3, 1, 4, {10, 20, 30, 255, 200, 100, 50, 0, 0, 0, 0, 128});
    write_png(run.folder() / "ga.png", 1, 1, 2, {90, 255});
    // Ten columns: the mask rows take two bytes each, the first bit the highest.
    write_png(run.folder() / "mask.png", 10, 2, 1,
              {0, 127, 128, 255, 0, 0, 0, 0, 0, 200, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255});
    load_with_images(run, data_text("pixel_types.json"));

    ASSERT_EQ(rt_var.n_img, 6);  // a and b share one
    const int expected_index[] = {0, 0, 1, 2, 3, 4, 5};
    for (int s = 0; s < 7; ++s) {
        EXPECT_EQ(rt_var.surfaces[s].srf_flags & kSrfImage, kSrfImage) << s;
        EXPECT_EQ(rt_var.surfaces[s].img_index, expected_index[s]) << s;
    }
    EXPECT_EQ(rt_var.surfaces[0].img_mode, 0);
    EXPECT_EQ((std::pair<int, double>(rt_var.surfaces[6].img_mode, rt_var.surfaces[6].img_arg)), std::pair(2, 90.0));
    zy::test::expect_recorded(zy::test::loaded_images(), fs::path(ZY_TEST_DATA) / "pixel_types.loaded");
    // Black at half alpha: the renderer sees half of white's light.
    EXPECT_NEAR(log_exp_gamma_fast(rt_var.images[2].pixels[9]), 1 - 128 / 255.0, 0.003);
}

// The pixels an image material took its colours from at each point, by the
// colours' names.
std::string colours_at(int16_t surface, std::initializer_list<V3D> scene_points) {
    const TRIANGLE* tri = nullptr;
    for (int i = 0; i < rt_var.n_tri && tri == nullptr; ++i)
        if (rt_var.tris[i].srf_index == surface) tri = &rt_var.tris[i];
    if (tri == nullptr) return "no triangle";
    std::string names;
    for (const V3D& p : scene_points) {
        MATERIAL m{};
        rt_img_material(frame_scene(), *tri, {p.x - rt_var.pov.x, p.y - rt_var.pov.y, p.z - rt_var.pov.z}, m);
        const int rgb = (m.color.r > 0.5) * 4 + (m.color.g > 0.5) * 2 + (m.color.b > 0.5);
        const char* const name[] = {"black", "blue", "green", "cyan", "red", "magenta", "yellow", "white"};
        names += names.empty() ? "" : " ";
        names += name[rgb];
    }
    return names;
}

TEST(Textures, PlacementAndProjectionPutThePixelsWhereDescribed) {
    InProcess run;
    // Red, green / blue, white.
    write_png(run.folder() / "quad.png", 2, 2, 3, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255});
    write_png(run.folder() / "row.png", 4, 1, 3, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255});
    load_with_images(run, data_text("image_placement.json"));

    // Image middle at object (0.5, 0, 0), scene (11, 0, 0); pixels of 2 x 2
    // scene units, repeating beyond the image; depth does not matter.
    EXPECT_EQ(colours_at(0, {{10, 1, 0}, {12, 1, 7}, {10, -1, 0}, {12, -1, 0}, {14, 1, 0}}),
              "red green blue white red");
    // Turned to lie in x-z with its top toward +z, in scene space.
    EXPECT_EQ(colours_at(1, {{-0.5, 9, 0.5}, {0.5, -3, -0.5}}), "red white");

    // Around y from +x (column 0) toward +z, one image per turn.
    EXPECT_EQ(colours_at(2, {{1, 0, 1}, {-1, 0, 1}, {-1, 0, -1}, {1, 0, -1}}), "red green blue white");
    EXPECT_EQ(colours_at(3, {{1, 0, 1}, {-1, 0, 1}}), "white blue");
    // Half a turn per image: 210 degrees shows what 30 degrees shows.
    EXPECT_EQ(colours_at(4, {{0.866, 0, 0.5}, {-0.866, 0, -0.5}}), "red red");
    EXPECT_EQ(colours_at(2, {{-0.866, 0, -0.5}}), "blue");
}

}  // namespace
}  // namespace zy::zyscene::test
