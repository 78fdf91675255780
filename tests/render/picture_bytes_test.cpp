// The picture header and the conversion of samples into picture bytes.
#include <gtest/gtest.h>

#include <cmath>

#include "render/sampling.h"
#include "render/tiff_header.h"

namespace zy {
namespace {

uint32_t be16(const uint8_t* p) { return (p[0] << 8) | p[1]; }
uint32_t be32(const uint8_t* p) { return (be16(p) << 16) | be16(p + 2); }

TEST(TiffHeader, SizesLandInTheirFields) {
    uint8_t h[kTiffHeaderSize];
    int32_t size = 0;
    xtiff_tc_header(32767, 32766, h, size);
    EXPECT_EQ(size, 196);
    const std::pair<int, uint32_t> words[] = {{8, 14}, {30, 32767}, {42, 32766}, {114, 32766}};
    for (auto [at, want] : words) EXPECT_EQ(be16(h + at), want) << at;
    const std::pair<int, uint32_t> longs[] = {
        {0, 0x4D4D002Au}, {4, 8}, {126, uint32_t{32767} * 32766 * 3} /* above 2^31: unsigned */,
        {178, 0},         {188, 720000}, {192, 10000}};
    for (auto [at, want] : longs) EXPECT_EQ(be32(h + at), want) << at;
    // Directory entries in ascending tag order, as readers require.
    for (int i = 1; i < 14; ++i) EXPECT_LT(be16(h + 10 + 12 * (i - 1)), be16(h + 10 + 12 * i));
}

TEST(ColourByte, GammaIsAClampedNaNSafeSquareRootAndTheScaleStaysJustBelow255) {
    const double gamma[][2] = {{0.25, 0.5}, {1, 1}, {7, 1}, {0, 0}, {-0.25, 0}, {NAN, 0}};
    for (const auto& g : gamma) EXPECT_EQ(RT_GAMMA_CORRECT(g[0]), g[1]) << g[0];
    // 0.5 gives 127.4999... + 0.5, which stays below 128.
    const std::pair<double, int> bytes[] = {{1, 255}, {0.5, 127}, {0, 0}, {-3, 0}, {2, 255}};
    for (auto [c, want] : bytes) EXPECT_EQ(colour_byte(c), want) << c;
}

TEST(ColourCompare, ToleranceBoundsAndPairs) {
    const RT_COL o{0, 0, 0}, white{1, 1, 1}, quarter{0.25, 0, 0}, grey{0.1, 0.1, 0.1};
    const struct {
        RT_COL a, b, c, d;
        double tolerance;
        int16_t refine;
    } cases[] = {
        {o, o, o, o, 0.0, 1},              // level 2 always refines
        {o, white, o, white, 1.0, 0},      // level 0 never supersamples
        {o, o, o, quarter, 0.25, 0},       // a distance equal to the tolerance agrees
        {o, o, o, quarter, 0.2, 1},        //
        {o, o, quarter, white, 0.8, 1},    // only the last pair (c, d) differs
        {o, o, o, grey, 0.25, 1},          // the distance sums the three channels
    };
    for (const auto& c : cases) EXPECT_EQ(rt_col_cmp(c.a, c.b, c.c, c.d, c.tolerance), c.refine) << c.tolerance;
}

}  // namespace
}  // namespace zy
