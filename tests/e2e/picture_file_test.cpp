// The picture file: exactly its pixels at any size, and after resuming a frame
// from its break file the bytes of an uninterrupted render, whatever the stop
// left in the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "render/test_scenes.h"
#include "support/test_support.h"

namespace zy {
namespace {

using Bytes = std::vector<uint8_t>;

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
    EXPECT_TRUE(p.width == 4097u && p.height == 3u) << p.width << " x " << p.height;
    for (std::size_t i = 0; i < p.rgb.size(); ++i) ASSERT_EQ(p.rgb[i], i % 3 == 1 ? 255 : 0) << i / 3;
}

TEST(Resume, PictureFileHoldingMoreOrFewerRowsAndABreakAtTheLastRow) {
    // A 4 x 8 frame with autosave whose rows all differ from the background.
    test::SceneBuilder b;
    b.settings().res_y = 8;
    b.settings().options = 1;
    b.settings().sky_color1[2] = 200;
    b.triangle({-20, -20, 0}, {0, 30, 0}, {20, -20, 0}, b.surface(test::surface_of(test::material(250, 90, 10, 100))));
    Bytes whole;
    {
        test::TempDir dir;
        b.write(dir.path());
        test::run_zyray(dir.path());
        whole = test::read_bytes(dir / "test.tif");
        EXPECT_EQ(test::read_bytes(dir / "test.brk"), writer::break_file_bytes(1, 0));
    }
    constexpr std::size_t kHeader = 196, kRow = 4 * 3;
    ASSERT_EQ(whole.size(), kHeader + 8 * kRow);
    const auto rows_above = [&](std::size_t line) { return Bytes(whole.begin(), whole.begin() + kHeader + line * kRow); };
    // A stop after a row pair was written but before the break file was updated.
    Bytes longer(kHeader + 6 * kRow, 0xEE);
    std::copy_n(whole.begin(), kHeader + 4 * kRow, longer.begin());
    const Bytes finished = writer::break_file_bytes(1, 0);

    const struct {
        const char* what;
        int16_t line;
        Bytes picture;
        std::vector<std::string> shown, not_shown;
        Bytes want_picture, want_break;
    } cases[] = {
        {"more rows are overwritten, not extended", 4, longer, {"  ligne : 7\n"}, {}, whole, finished},
        {"missing rows cannot be resumed", 4, rows_above(2), {"[1][File open error!|ligne N|ZYR_MAIN][Ok]\n"}, {},
         rows_above(2), {}},
        {"break at the last row leaves the picture alone", 8, whole, {}, {"ligne :", "test.tif"}, whole, finished},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        b.write(dir.path());
        writer::write_file(dir / "test.brk", writer::break_file_bytes(0, c.line));
        writer::write_file(dir / "test.tif", c.picture);
        const std::string output = test::mask_line_numbers(test::run_zyray(dir.path()).output);
        for (const std::string& part : c.shown) EXPECT_NE(output.find(part), std::string::npos) << c.what << ": " << part;
        for (const std::string& part : c.not_shown) EXPECT_EQ(output.find(part), std::string::npos) << c.what << ": " << part;
        EXPECT_EQ(test::read_bytes(dir / "test.tif"), c.want_picture) << c.what;
        if (!c.want_break.empty()) {
            EXPECT_EQ(test::read_bytes(dir / "test.brk"), c.want_break) << c.what;
        }
    }
}

}  // namespace
}  // namespace zy
