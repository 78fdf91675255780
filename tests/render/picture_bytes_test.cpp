// The picture header and the conversion of samples into picture bytes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "render/sampling.h"
#include "render/tiff_header.h"
#include "support/test_support.h"

namespace zy {
namespace {

uint32_t be16(const uint8_t* p) { return (p[0] << 8) | p[1]; }
uint32_t be32(const uint8_t* p) { return (be16(p) << 16) | be16(p + 2); }

TEST(TiffHeader, SizesLandInTheirFields) {
    uint8_t h[kTiffHeaderSize];
    int32_t size = 0;
    xtiff_tc_header(32767, 32766, h, size);
    EXPECT_EQ(size, 196);
    EXPECT_EQ(be32(h), 0x4D4D002Au);
    EXPECT_EQ(be32(h + 4), 8u);
    EXPECT_EQ(be16(h + 8), 14u);
    EXPECT_EQ(be16(h + 30), 32767u);
    EXPECT_EQ(be16(h + 42), 32766u);
    EXPECT_EQ(be16(h + 114), 32766u);
    EXPECT_EQ(be32(h + 126), uint32_t{32767} * 32766 * 3);  // above 2^31: unsigned
    EXPECT_EQ(be32(h + 178), 0u);
    EXPECT_EQ(be32(h + 188), 720000u);
    EXPECT_EQ(be32(h + 192), 10000u);
    // Directory entries in ascending tag order, as readers require.
    for (int i = 1; i < 14; ++i) EXPECT_LT(be16(h + 10 + 12 * (i - 1)), be16(h + 10 + 12 * i));
}

TEST(Gamma, SquareRootClampedAndNaNSafe) {
    EXPECT_EQ(RT_GAMMA_CORRECT(0.25), 0.5);
    EXPECT_EQ(RT_GAMMA_CORRECT(1.0), 1.0);
    EXPECT_EQ(RT_GAMMA_CORRECT(7.0), 1.0);
    EXPECT_EQ(RT_GAMMA_CORRECT(0.0), 0.0);
    EXPECT_EQ(RT_GAMMA_CORRECT(-0.25), 0.0);
    EXPECT_EQ(RT_GAMMA_CORRECT(std::numeric_limits<double>::quiet_NaN()), 0.0);
}

TEST(ColourByte, ScaleJustBelow255) {
    EXPECT_EQ(colour_byte(1.0), 255);
    EXPECT_EQ(colour_byte(0.5), 127);  // 127.4999... + 0.5 stays below 128
    EXPECT_EQ(colour_byte(RT_GAMMA_CORRECT(0.25)), 127);
    EXPECT_EQ(colour_byte(0.0), 0);
    EXPECT_EQ(colour_byte(-3.0), 0);
    EXPECT_EQ(colour_byte(2.0), 255);
}

TEST(ColourCompare, ToleranceBoundsAndPairs) {
    const RT_COL black{0, 0, 0}, white{1, 1, 1}, quarter{0.25, 0, 0};
    EXPECT_EQ(rt_col_cmp(black, black, black, black, 0.0), 1);  // level 2 always refines
    EXPECT_EQ(rt_col_cmp(black, white, black, white, 1.0), 0);  // level 0 never supersamples
    EXPECT_EQ(rt_col_cmp(black, black, black, quarter, 0.25), 0);  // equal to the tolerance agrees
    EXPECT_EQ(rt_col_cmp(black, black, black, quarter, 0.2), 1);
    // Only the last pair (c, d) differs.
    EXPECT_EQ(rt_col_cmp(black, black, quarter, white, 0.8), 1);
    // The distance sums the three channels.
    EXPECT_EQ(rt_col_cmp(black, black, black, RT_COL{0.1, 0.1, 0.1}, 0.25), 1);
}

// Agreeing corners are interpolated without any ray; a one-pixel-wide band
// keeps only column 0 of the block.
TEST(Area, FlatBlockInterpolatesAndDropsColumnsBeyondWidth) {
    test::InProcess env;
    rt_var.aa_tolerance = 0.8;
    TraceState ts;
    ts.col_matrix[0] = {0.25, 0, 0};
    ts.col_matrix[2] = {0.75, 0, 0};
    ts.col_matrix[6] = {0.25, 0, 0};
    ts.col_matrix[8] = {0.75, 0, 0};
    std::vector<uint8_t> wide(12, 0xAA);
    rt_area(ts, 0, 0, BandRows{wide.data(), 2});
    EXPECT_EQ(wide, (std::vector<uint8_t>{64, 0, 0, 127, 0, 0, 64, 0, 0, 127, 0, 0}));
    std::vector<uint8_t> narrow(8, 0xAA);
    rt_area(ts, 0, 0, BandRows{narrow.data(), 1});
    EXPECT_EQ(narrow, (std::vector<uint8_t>{64, 0, 0, 64, 0, 0, 0xAA, 0xAA}));
}

}  // namespace
}  // namespace zy
