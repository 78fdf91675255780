// Resuming a frame from its break file: the picture must equal an
// uninterrupted render byte for byte, whatever the stop left in the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "render/test_scenes.h"
#include "support/test_support.h"

namespace zy {
namespace {

using test::material;
using test::surface_of;

constexpr std::size_t kHeader = 196, kRow = 4 * 3;

class Resume : public ::testing::Test {
protected:
    // A 4 x 8 frame with autosave whose rows all differ from the background.
    Resume() {
        b_.settings().res_y = 8;
        b_.settings().options = 1;
        b_.settings().sky_color1[2] = 200;
        b_.triangle({-20, -20, 0}, {0, 30, 0}, {20, -20, 0}, b_.surface(surface_of(material(250, 90, 10, 100))));
        test::TempDir dir;
        b_.write(dir.path());
        test::run_zyray(dir.path());
        whole_ = test::read_bytes(dir / "test.tif");
        EXPECT_EQ(test::read_bytes(dir / "test.brk"), writer::break_file_bytes(1, 0));
    }

    // Runs with the break file at (0, line) and the picture file as given.
    test::RunResult resume(int16_t line, const std::vector<uint8_t>& picture) {
        b_.write(dir_.path());
        writer::write_file(dir_ / "test.brk", writer::break_file_bytes(0, line));
        writer::write_file(dir_ / "test.tif", picture);
        return test::run_zyray(dir_.path());
    }
    std::vector<uint8_t> rows_above(std::size_t line) const {
        return {whole_.begin(), whole_.begin() + static_cast<std::ptrdiff_t>(kHeader + line * kRow)};
    }
    std::vector<uint8_t> picture() const { return test::read_bytes(dir_ / "test.tif"); }
    std::vector<uint8_t> break_file() const { return test::read_bytes(dir_ / "test.brk"); }

    test::SceneBuilder b_;
    test::TempDir dir_;
    std::vector<uint8_t> whole_;
};

TEST_F(Resume, FileHoldingTheRowsAboveTheLine) {
    ASSERT_EQ(whole_.size(), kHeader + 8 * kRow);
    const test::RunResult run = resume(4, rows_above(4));
    EXPECT_EQ(run.output.find("  ligne : 1\n"), std::string::npos);
    EXPECT_NE(run.output.find("  ligne : 5\n"), std::string::npos);
    EXPECT_NE(run.output.find("  ligne : 7\n"), std::string::npos);
    EXPECT_EQ(picture(), whole_);
    EXPECT_EQ(break_file(), writer::break_file_bytes(1, 0));
}

// A stop after a row pair was written but before the break file was updated.
TEST_F(Resume, FileHoldingMoreRowsIsOverwrittenNotExtended) {
    std::vector<uint8_t> longer(kHeader + 6 * kRow, 0xEE);
    const std::vector<uint8_t> above = rows_above(4);
    std::copy(above.begin(), above.end(), longer.begin());
    resume(4, longer);
    EXPECT_EQ(picture(), whole_);
}

TEST_F(Resume, FileMissingRowsCannotBeResumed) {
    const std::vector<uint8_t> shorter = rows_above(2);
    const test::RunResult run = resume(4, shorter);
    EXPECT_NE(test::mask_line_numbers(run.output).find("[1][File open error!|ligne N|ZYR_MAIN][Ok]\n"),
              std::string::npos);
    EXPECT_EQ(picture(), shorter);
}

TEST_F(Resume, BreakLineAtTheLastRowLeavesThePictureAlone) {
    const test::RunResult run = resume(8, whole_);
    EXPECT_EQ(run.output.find("ligne :"), std::string::npos);
    EXPECT_EQ(run.output.find("test.tif"), std::string::npos);
    EXPECT_EQ(picture(), whole_);
    EXPECT_EQ(break_file(), writer::break_file_bytes(1, 0));
}

}  // namespace
}  // namespace zy
