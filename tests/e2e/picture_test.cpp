// Whole-program renders read back through libtiff: the file, its header and
// pixels whose bytes follow from the scene by hand.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <filesystem>
#include <string>

#include "render/test_scenes.h"
#include "support/test_support.h"

namespace zy {
namespace {

using test::material;
using test::surface_of;

int count_of(const std::string& text, const std::string& part) {
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

void expect_every_pixel(const test::Picture& p, uint8_t r, uint8_t g, uint8_t b) {
    for (uint32_t y = 0; y < p.height; ++y)
        for (uint32_t x = 0; x < p.width; ++x) {
            const uint8_t* px = p.pixel(x, y);
            ASSERT_EQ(px[0], r) << x << "," << y;
            ASSERT_EQ(px[1], g) << x << "," << y;
            ASSERT_EQ(px[2], b) << x << "," << y;
        }
}

TEST(Picture, SmallestFileAndItsHeaderFields) {
    test::TempDir dir;
    test::SceneBuilder b;
    b.write(dir.path());
    const test::RunResult run = test::run_zyray(dir.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(count_of(run.output, "  ligne : "), 1);
    EXPECT_NE(run.output.find("  ligne : 1\n"), std::string::npos);
    ASSERT_EQ(test::read_bytes(dir / "test.tif").size(), 196u + 24u);

    TIFF* tif = TIFFOpen((dir / "test.tif").c_str(), "r");
    ASSERT_NE(tif, nullptr);
    uint32_t rows_per_strip = 0;
    float xres = 0, yres = 0;
    uint64_t* offsets = nullptr;
    uint64_t* counts = nullptr;
    TIFFGetField(tif, TIFFTAG_ROWSPERSTRIP, &rows_per_strip);
    TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres);
    TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres);
    TIFFGetField(tif, TIFFTAG_STRIPOFFSETS, &offsets);
    TIFFGetField(tif, TIFFTAG_STRIPBYTECOUNTS, &counts);
    EXPECT_EQ(TIFFNumberOfStrips(tif), 1u);
    EXPECT_EQ(rows_per_strip, 2u);
    EXPECT_EQ(xres, 72.0f);
    EXPECT_EQ(yres, 72.0f);
    ASSERT_NE(offsets, nullptr);
    ASSERT_NE(counts, nullptr);
    EXPECT_EQ(offsets[0], 196u);
    EXPECT_EQ(counts[0], 24u);
    TIFFClose(tif);
}

// Odd in both directions and wider than the old 4096-pixel buffers.
TEST(Picture, OddSizeHoldsExactlyItsPixels) {
    test::TempDir dir;
    test::SceneBuilder b;
    b.settings().res_x = 4097;
    b.settings().res_y = 3;
    b.settings().sky_color1[1] = 255;
    b.write(dir.path());
    const test::RunResult run = test::run_zyray(dir.path());
    EXPECT_EQ(count_of(run.output, "  ligne : "), 2);
    EXPECT_NE(run.output.find("  ligne : 3\n"), std::string::npos);
    EXPECT_EQ(test::read_bytes(dir / "test.tif").size(), 196u + 4097 * 3 * 3);
    const test::Picture p = test::read_tiff(dir / "test.tif");
    EXPECT_EQ(p.width, 4097u);
    EXPECT_EQ(p.height, 3u);
    expect_every_pixel(p, 0, 255, 0);
}

// A 4 x 4 picture of the z = 0 plane, 5 units to a pixel: pixel (x, y) looks
// at (5x - 10, 10 - 5y). White shapes on black decide how far the first block
// is refined.
class Antialias : public ::testing::Test {
protected:
    Antialias() {
        b_.settings().res_x = 4;
        b_.settings().res_y = 4;
        b_.frame().cam.fov = 90;
        white_ = b_.surface(surface_of(material(255, 255, 255, 100)));
    }
    uint8_t pixel_1_1(int16_t level) {
        b_.settings().aa_level = level;
        test::TempDir dir;
        b_.write(dir.path());
        test::run_zyray(dir.path());
        return test::read_tiff(dir / "test.tif").pixel(1, 1)[0];
    }
    test::SceneBuilder b_;
    int16_t white_;
};

// A speck seen only by pixel (1, 1) itself, by none of its sub-samples.
TEST_F(Antialias, OnlyLevelTwoTracesEveryPixel) {
    b_.triangle({-4, 6, 0}, {-6, 6, 0}, {-5, 4, 0}, white_);
    EXPECT_EQ(pixel_1_1(1), 0);   // black corners agree: interpolated
    EXPECT_EQ(pixel_1_1(2), 64);  // traced white, averaged with three black sub-samples: 0.25
}

// A sliver along the diagonal through pixel (1, 1), corner (2, 2) and the
// sub-sample (1.5, 1.5).
TEST_F(Antialias, LevelZeroNeverSupersamples) {
    b_.triangle({1, -1, 0}, {-6, 7, 0}, {-7, 6, 0}, white_);
    EXPECT_EQ(pixel_1_1(0), 255);  // refined (corner distance 3), not supersampled
    EXPECT_EQ(pixel_1_1(1), 127);  // two of four white: 0.5
}

}  // namespace
}  // namespace zy
