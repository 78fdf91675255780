// From samples to picture bytes: the picture header, the colour bytes, the
// antialias decision, and which samples a block traces and what it writes.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "render/sampling.h"
#include "render/tiff_header.h"
#include "support/scene_records.h"

namespace zy {
namespace {

using Bytes = std::vector<uint8_t>;

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

// A frame without triangles or floor: every ray sees the background.
class EmptyFrame : public testing::Test {
protected:
    EmptyFrame() {
        RT_VAR& settings = records_.settings;
        settings.sky_color1 = {0.25, 0.25, 0.25};
        settings.pixel_dx = {1, 0, 0};
        settings.pixel_dy = {0, 1, 0};
        settings.pixel_origin = {0, 0, 1};
        ts_.prepare_for_frame();
    }

    // Primary rays traced by rt_area on the block at (0, 6) whose corners m0
    // and m6 are left, m2 and m8 right, into a band width pixels wide.
    uint64_t rays_of_block(double tolerance, double tolerance2, Bytes& bytes, RT_COL left = {0.5, 0.5, 0.5},
                           RT_COL right = {0.5, 0.5, 0.5}, int32_t width = 2) {
        records_.settings.aa_tolerance = tolerance;
        records_.settings.aa_tolerance2 = tolerance2;
        ts_.col_matrix[0] = ts_.col_matrix[6] = left;
        ts_.col_matrix[2] = ts_.col_matrix[8] = right;
        const uint64_t before = ts_.rays.primary;
        rt_area(ts_, records_.scene(), 0, 6, BandRows{bytes.data(), width});
        return ts_.rays.primary - before;
    }

    test::SceneRecords records_;
    TraceState ts_;
};

// A refined block traces its own three pixels and the supersamples, never the
// neighbours' m5 and m7 that nothing reads.
TEST_F(EmptyFrame, ARefinedBlockTracesItsOwnPixelsAndItsSupersamplesOnly) {
    Bytes bytes(12);
    // Refined, never supersampled: m1, m3, m4.
    EXPECT_EQ(rays_of_block(0.0, 1.0, bytes), 3u);
    // The traced pixels are the background (0.25 -> 0.5 -> 127), the corner m0 its own.
    EXPECT_EQ(bytes, Bytes(12, 127));
    // Refined and every pixel supersampled: three more rays for each of four pixels.
    EXPECT_EQ(rays_of_block(0.0, 0.0, bytes), 3u + 4 * 3);
}

// Agreeing corners are interpolated without any ray; a one-pixel-wide band
// keeps only column 0 of the block.
TEST_F(EmptyFrame, AFlatBlockInterpolatesAndDropsColumnsBeyondTheWidth) {
    Bytes wide(12, 0xAA), narrow(8, 0xAA);
    EXPECT_EQ(rays_of_block(0.8, 1.0, wide, {0.25, 0, 0}, {0.75, 0, 0}), 0u);
    EXPECT_EQ(wide, (Bytes{64, 0, 0, 127, 0, 0, 64, 0, 0, 127, 0, 0}));
    EXPECT_EQ(rays_of_block(0.8, 1.0, narrow, {0.25, 0, 0}, {0.75, 0, 0}, 1), 0u);
    EXPECT_EQ(narrow, (Bytes{64, 0, 0, 64, 0, 0, 0xAA, 0xAA}));
}

}  // namespace
}  // namespace zy
