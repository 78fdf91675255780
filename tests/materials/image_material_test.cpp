// Image materials: projections, repetition and the four pixel formats.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "material_fixture.h"
#include "materials/image_material.h"

namespace zy::test {
namespace {

using Pixel = std::pair<int, int>;

class Images : public MaterialScene {
protected:
    void SetUp() override {
        MaterialScene::SetUp();
        settings.images = images;
    }

    void install(int16_t type, int w, int h) {
        images[0] = {type, 0, static_cast<int16_t>(w), static_cast<int16_t>(h), pixels.data(),
                     static_cast<int64_t>(pixels.size())};
    }

    MATERIAL at(const V3D& point) {
        MATERIAL out{};
        rt_img_material(records.scene(), tri, point, out);
        return out;
    }

    /// Column and row of a point in a w x h image, read back through grey
    /// images whose levels are the column and the row.
    Pixel pixel_of(const V3D& point, int w, int h) {
        srf.mat[0] = {{0, 0, 0}, 0, 0, 0, 0, 0, 0, 0, 0};
        srf.mat[1] = {{1, 1, 1}, 1, 1, 1, 1, 1, 1, 1, 1};
        int found[2];
        for (int axis = 0; axis < 2; ++axis) {
            pixels.resize(static_cast<std::size_t>(w * h));
            for (int i = 0; i < w * h; ++i) pixels[i] = static_cast<uint8_t>(axis == 0 ? i % w : i / w);
            install(1, w, h);
            found[axis] = static_cast<int>(std::lround(at(point).ambient * 255.0));
        }
        return {found[0], found[1]};
    }

    IIM_IMAGE images[1]{};
    std::vector<uint8_t> pixels;
};

TEST_F(Images, FlatProjectionCentresAndRepeatsTheImageWithRowZeroOnTop) {
    for (double z : {-7.0, 0.0, 13.0}) EXPECT_EQ(pixel_of({0, 0, z}, 100, 50), Pixel(50, 25));
    EXPECT_EQ(pixel_of({-50, 25, 0}, 100, 50), Pixel(0, 0));
    EXPECT_EQ(pixel_of({49.9, -24.9, 0}, 100, 50), Pixel(99, 49));
    EXPECT_EQ(pixel_of({50, 0, 0}, 100, 50), Pixel(0, 25));
    EXPECT_EQ(pixel_of({-50.5, 25.5, 0}, 100, 50), Pixel(99, 49));
    EXPECT_EQ(pixel_of({1030.2, -500.5, 0}, 100, 50), Pixel(80, 25));
    for (double c : {1e20, -1e20, 3e9}) {  // saturated conversions stay inside
        const auto [column, row] = pixel_of({c, c, 0}, 100, 50);
        EXPECT_TRUE(column >= 0 && column < 100 && row >= 0 && row < 50) << c;
    }
}

TEST_F(Images, CylindersWrapAboutTheYAxis) {
    srf.img_mode = 1;
    srf.img_arg = 360.0;
    EXPECT_EQ(pixel_of({10, 0, 0}, 100, 50).first, 0);
    EXPECT_EQ(pixel_of({0, 0, 10}, 100, 50).first, 25);
    EXPECT_EQ(pixel_of({-10, 0, 0}, 100, 50).first, 50);
    EXPECT_EQ(pixel_of({0, 12, -10}, 100, 50), Pixel(75, 13));  // rows as in the flat case
    EXPECT_EQ(pixel_of({0, 7, 0}, 100, 50), Pixel(0, 18));      // on the axis: angle 0
    srf.img_arg = 90.0;                                         // four times round
    EXPECT_EQ(pixel_of({0, 0, 10}, 100, 50).first, 0);
    EXPECT_EQ(pixel_of({-10, 0, -10}, 100, 50).first, 50);
    srf.img_mode = 2;  // mirrored
    srf.img_arg = 360.0;
    EXPECT_EQ(pixel_of({0, 0, 10}, 100, 50).first, 75);
}

TEST_F(Images, GreyLevelsBlendAndMaskBitsSwitch) {
    pixels = {255, 0};
    install(1, 2, 1);
    EXPECT_TRUE(same_material(at({-0.5, 0, 0}), srf.mat[1]));  // full white is the second material
    EXPECT_TRUE(same_material(at({0.5, 0, 0}), srf.mat[0]));

    // Width 12: two bytes a row. Only column 9 of row 1 is set: bit 0x40 of the row's second byte.
    pixels = {0x00, 0x00, 0x00, 0x40};
    install(0, 12, 2);
    const auto point = [](int c, int r) { return V3D{c - 6 + 0.5, 1 - r - 0.5, 0}; };
    EXPECT_TRUE(same_material(at(point(9, 1)), srf.mat[1]));
    for (auto [c, r] : {Pixel(8, 1), Pixel(10, 1), Pixel(9, 0)})
        EXPECT_TRUE(same_material(at(point(c, r)), srf.mat[0])) << c << "," << r;
}

TEST_F(Images, ColourPixelsFilterAndMasksBlend) {
    pixels = {255, 128, 0};
    install(4, 1, 1);
    MATERIAL m = at({0, 0, 0});
    EXPECT_TRUE(m.color.r == srf.mat[0].color.r && m.color.b == 0.0);
    EXPECT_EQ(m.color.g, srf.mat[0].color.g * log_exp_gamma_fast(128));
    m.color = srf.mat[0].color;
    EXPECT_TRUE(same_material(m, srf.mat[0]));
    for (int16_t type : {2, 3}) {
        install(type, 1, 1);
        EXPECT_TRUE(same_material(at({0, 0, 0}), srf.mat[0])) << type;
    }

    pixels = {0, 255, 255, 255, 255, 0, 0, 0};  // mask 0 white, mask 255 black
    install(5, 2, 1);
    const auto a = values_of(at({-0.5, 0, 0})), one = values_of(srf.mat[1]);
    for (int i = 0; i < 11; ++i) EXPECT_NEAR(a[i], one[i], 1e-14) << i;
    MATERIAL black = srf.mat[0];
    black.color = {0, 0, 0};
    EXPECT_TRUE(same_material(at({0.5, 0, 0}), black));

    images[0] = {4, 0, 2, 1, pixels.data(), 3};  // claims two pixels, holds one
    EXPECT_TRUE(same_material(at({0.5, 0, 0}), srf.mat[0]));
}

}  // namespace
}  // namespace zy::test
