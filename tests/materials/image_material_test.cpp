// Image materials: projections, repetition, the four pixel formats and the
// gamma table.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "material_fixture.h"
#include "materials/image_material.h"

namespace zy::test {
namespace {

class Images : public MaterialScene {
protected:
    void SetUp() override {
        MaterialScene::SetUp();
        // mat[0] all zeros, mat[1] all ones: a grey image's t shows in every value.
        srf.mat[0] = {{0, 0, 0}, 0, 0, 0, 0, 0, 0, 0, 0};
        srf.mat[1] = {{1, 1, 1}, 1, 1, 1, 1, 1, 1, 1, 1};
        srf.srf_flags = kSrfImage;
        rt_var.images = images;
    }

    /// A grey image whose pixel (c, r) is value(c, r), installed as image 0.
    template <typename Fn>
    void grey_image(int w, int h, Fn value) {
        pixels.assign(static_cast<std::size_t>(w) * h, 0);
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c) pixels[r * w + c] = static_cast<uint8_t>(value(c, r));
        install(1, w, h);
    }

    void install(int16_t type, int w, int h) {
        images[0] = {type, 0, static_cast<int16_t>(w), static_cast<int16_t>(h), pixels.data(),
                     static_cast<int64_t>(pixels.size())};
    }

    MATERIAL at(const V3D& point) {
        MATERIAL out{};
        rt_img_material(tri, point, out);
        return out;
    }

    /// The grey level the material was made from.
    int grey_at(const V3D& point) { return static_cast<int>(std::lround(at(point).ambient * 255.0)); }

    /// Column and row of a point in a w x h image (grey levels carry them).
    std::pair<int, int> pixel_of(const V3D& point, int w, int h) {
        grey_image(w, h, [](int c, int) { return c; });
        const int column = grey_at(point);
        grey_image(w, h, [](int, int r) { return r; });
        return {column, grey_at(point)};
    }

    IIM_IMAGE images[1]{};
    std::vector<uint8_t> pixels;
};

using Pixel = std::pair<int, int>;

TEST_F(Images, FlatProjectionCentresTheImageAndPutsRowZeroOnTop) {
    for (double z : {-7.0, 0.0, 13.0}) EXPECT_EQ(pixel_of({0, 0, z}, 100, 50), Pixel(50, 25));
    EXPECT_EQ(pixel_of({-50, 25, 0}, 100, 50), Pixel(0, 0));
    EXPECT_EQ(pixel_of({49.9, -24.9, 0}, 100, 50), Pixel(99, 49));
    EXPECT_EQ(pixel_of({50, 0, 0}, 100, 50), Pixel(0, 25));
}

TEST_F(Images, ImagesRepeatInBothDirections) {
    EXPECT_EQ(pixel_of({-50.5, 0, 0}, 100, 50), Pixel(99, 25));
    EXPECT_EQ(pixel_of({1030.2, 0, 0}, 100, 50), Pixel(80, 25));
    EXPECT_EQ(pixel_of({0, 25.5, 0}, 100, 50), Pixel(50, 49));
    EXPECT_EQ(pixel_of({0, -500.5, 0}, 100, 50), Pixel(50, 25));
}

TEST_F(Images, FarPointsStayInsideTheImage) {
    for (double c : {1e20, -1e20, 3e9, -3e9}) {
        const auto [column, row] = pixel_of({c, c, 0}, 100, 50);
        EXPECT_TRUE(column >= 0 && column < 100 && row >= 0 && row < 50) << c;
    }
}

TEST_F(Images, PovAndImageMatrixPlaceTheImage) {
    rt_var.pov = {10, 5, 0};
    EXPECT_EQ(pixel_of({-10, -5, 0}, 100, 50), Pixel(50, 25));
    rt_var.pov = {0, 0, 0};
    tri.mat_index = 0;
    mats[2].m[0][0] = mats[2].m[1][1] = 0.5;  // the image twice as large in the scene
    EXPECT_EQ(pixel_of({20, 10, 0}, 100, 50), Pixel(60, 20));
}

TEST_F(Images, CylinderWrapsOnceAboutTheYAxis) {
    srf.img_mode = 1;
    srf.img_arg = 360.0;
    EXPECT_EQ(pixel_of({10, 0, 0}, 100, 50).first, 0);
    EXPECT_EQ(pixel_of({0, 0, 10}, 100, 50).first, 25);
    EXPECT_EQ(pixel_of({-10, 0, 0}, 100, 50).first, 50);
    EXPECT_EQ(pixel_of({0, 0, -10}, 100, 50).first, 75);
    EXPECT_EQ(pixel_of({0, 12, -10}, 100, 50), Pixel(75, 13));  // rows as in the flat case
    EXPECT_EQ(pixel_of({0, 7, 0}, 100, 50), Pixel(0, 18));      // on the axis: angle 0
}

TEST_F(Images, NarrowCylinderAnglesRepeatAndModeTwoMirrors) {
    srf.img_mode = 1;
    srf.img_arg = 90.0;
    EXPECT_EQ(pixel_of({0, 0, 10}, 100, 50).first, 0);
    EXPECT_EQ(pixel_of({10, 0, 10}, 100, 50).first, 50);
    EXPECT_EQ(pixel_of({-10, 0, -10}, 100, 50).first, 50);
    srf.img_mode = 2;
    srf.img_arg = 360.0;
    EXPECT_EQ(pixel_of({0, 0, 10}, 100, 50).first, 75);
    EXPECT_EQ(pixel_of({0, 0, -10}, 100, 50).first, 25);
}

TEST_F(Images, GreyLevelsBlendAndFullWhiteIsTheSecondMaterial) {
    srf = two_material_surface();
    rt_var.surfaces = &srf;
    grey_image(2, 1, [](int c, int) { return c == 0 ? 255 : 0; });
    EXPECT_TRUE(same_material(at({-0.5, 0, 0}), srf.mat[1]));
    EXPECT_TRUE(same_material(at({0.5, 0, 0}), srf.mat[0]));
}

TEST_F(Images, MaskBitsAreReadMostSignificantFirst) {
    // Width 12: two bytes a row. Only column 9 of row 1 is set: bit 0x40 of the row's second byte.
    pixels = {0x00, 0x00, 0x00, 0x40};
    install(0, 12, 2);
    const auto point = [](int c, int r) { return V3D{c - 6 + 0.5, 1 - r - 0.5, 0}; };
    EXPECT_TRUE(same_material(at(point(9, 1)), srf.mat[1]));
    for (auto [c, r] : {Pixel(8, 1), Pixel(10, 1), Pixel(9, 0), Pixel(1, 1)})
        EXPECT_TRUE(same_material(at(point(c, r)), srf.mat[0])) << c << "," << r;
}

TEST_F(Images, ColourPixelsFilterTheFirstMaterial) {
    srf = two_material_surface();
    rt_var.surfaces = &srf;
    pixels = {255, 128, 0};
    install(4, 1, 1);
    const MATERIAL m = at({0, 0, 0});
    EXPECT_EQ(m.color.r, srf.mat[0].color.r);
    EXPECT_EQ(m.color.g, srf.mat[0].color.g * log_exp_gamma_fast(128));
    EXPECT_EQ(m.color.b, 0.0);
    MATERIAL rest = m;
    rest.color = srf.mat[0].color;
    EXPECT_TRUE(same_material(rest, srf.mat[0]));
    for (int16_t type : {2, 3}) {
        install(type, 1, 1);
        EXPECT_TRUE(same_material(at({0, 0, 0}), srf.mat[0])) << type;
    }
}

TEST_F(Images, MaskAndColourPixelsBlendAndTint) {
    srf = two_material_surface();
    rt_var.surfaces = &srf;
    pixels = {0, 255, 255, 255, 255, 0, 0, 0};
    install(5, 2, 1);
    const auto a = values_of(at({-0.5, 0, 0})), one = values_of(srf.mat[1]);
    for (int i = 0; i < 11; ++i) EXPECT_NEAR(a[i], one[i], 1e-14) << i;
    MATERIAL black = srf.mat[0];
    black.color = {0, 0, 0};
    EXPECT_TRUE(same_material(at({0.5, 0, 0}), black));
}

TEST_F(Images, PixelsBeyondTheDataShowTheFirstMaterial) {
    srf = two_material_surface();
    rt_var.surfaces = &srf;
    pixels = {255, 255, 255};
    images[0] = {4, 0, 2, 1, pixels.data(), 3};  // claims two pixels, holds one
    EXPECT_TRUE(same_material(at({0.5, 0, 0}), srf.mat[0]));
}

TEST(Gamma, TableFollowsThePowerOneEight) {
    EXPECT_EQ(log_exp_gamma_fast(0), 0.0);
    EXPECT_EQ(log_exp_gamma_fast(255), 1.0);
    EXPECT_NEAR(log_exp_gamma_fast(128), std::pow(128 / 255.0, 1.8), 1e-12);
    EXPECT_NEAR(log_exp_gamma_fast(128), 0.29, 0.005);
    EXPECT_EQ(log_exp_gamma_fast(128), log_exp_gamma_fast(128));
    for (int i = 1; i < 256; ++i) EXPECT_GT(log_exp_gamma_fast(static_cast<uint8_t>(i)), log_exp_gamma_fast(static_cast<uint8_t>(i - 1)));
}

}  // namespace
}  // namespace zy::test
