// Whole-program renders read back through libtiff: pixels whose bytes follow
// from the scene by hand.
#include <gtest/gtest.h>

#include "render/test_scenes.h"
#include "support/test_support.h"

namespace zy {
namespace {

// Odd in both directions and wider than the old 4096-pixel buffers.
TEST(Picture, OddSizeHoldsExactlyItsPixels) {
    test::TempDir dir;
    test::SceneBuilder b;
    b.settings().res_x = 4097;
    b.settings().res_y = 3;
    b.settings().sky_color1[1] = 255;
    b.write(dir.path());
    test::run_zyray(dir.path());
    EXPECT_EQ(test::read_bytes(dir / "test.tif").size(), 196u + 4097 * 3 * 3);
    const test::Picture p = test::read_tiff(dir / "test.tif");
    EXPECT_EQ(p.width, 4097u);
    EXPECT_EQ(p.height, 3u);
    for (std::size_t i = 0; i < p.rgb.size(); ++i) ASSERT_EQ(p.rgb[i], i % 3 == 1 ? 255 : 0) << i / 3;
}

// A 4 x 4 picture of the z = 0 plane, 5 units to a pixel: pixel (x, y) looks
// at (5x - 10, 10 - 5y). A white shape on black decides how far the first
// block is refined.
TEST(Picture, AntialiasLevels) {
    const V3S speck[3] = {{-4, 6, 0}, {-6, 6, 0}, {-5, 4, 0}};  // seen by pixel (1, 1) only, no sub-sample
    const V3S sliver[3] = {{1, -1, 0}, {-6, 7, 0}, {-7, 6, 0}};  // through (1, 1), corner (2, 2), (1.5, 1.5)
    const struct {
        const V3S* shape;
        int16_t level;
        uint8_t pixel_1_1;
    } cases[] = {
        {speck, 1, 0},     // black corners agree: interpolated
        {speck, 2, 64},    // level 2 traces every pixel: white among three black sub-samples, 0.25
        {sliver, 0, 255},  // refined (corner distance 3), not supersampled
        {sliver, 1, 127},  // two of four white: 0.5
    };
    for (const auto& c : cases) {
        test::SceneBuilder b;
        b.settings().res_x = b.settings().res_y = 4;
        b.settings().aa_level = c.level;
        b.frame().cam.fov = 90;
        b.triangle(c.shape[0], c.shape[1], c.shape[2], b.surface(test::surface_of(test::material(255, 255, 255, 100))));
        test::TempDir dir;
        b.write(dir.path());
        test::run_zyray(dir.path());
        EXPECT_EQ(test::read_tiff(dir / "test.tif").pixel(1, 1)[0], c.pixel_1_1) << c.level;
    }
}

}  // namespace
}  // namespace zy
