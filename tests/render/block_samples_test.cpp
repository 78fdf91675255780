// Which samples a block traces and what it writes: its own three pixels and
// the supersamples, never the neighbours' m5 and m7 that nothing reads.
#include <gtest/gtest.h>

#include <vector>

#include "cells/cells.h"
#include "render/sampling.h"
#include "support/test_support.h"

namespace zy {
namespace {

using Bytes = std::vector<uint8_t>;

// A frame without triangles or floor: every ray sees the background.
class EmptyFrame : public testing::Test {
protected:
    EmptyFrame() {
        rt_var.sky_color1 = {0.25, 0.25, 0.25};
        rt_var.pixel_dx = {1, 0, 0};
        rt_var.pixel_dy = {0, 1, 0};
        rt_var.pixel_origin = {0, 0, 1};
        scene_cell = CELL{};
        scene_cell.min[0] = scene_cell.min[1] = scene_cell.min[2] = 1;  // above max: holds no point
        ts_.prepare_for_frame();
    }
    ~EmptyFrame() override { scene_cell = CELL{}; }

    // Primary rays traced by rt_area on the block at (0, 6) whose corners m0
    // and m6 are left, m2 and m8 right, into a band width pixels wide.
    uint64_t rays_of_block(double tolerance, double tolerance2, Bytes& bytes, RT_COL left = {0.5, 0.5, 0.5},
                           RT_COL right = {0.5, 0.5, 0.5}, int32_t width = 2) {
        rt_var.aa_tolerance = tolerance;
        rt_var.aa_tolerance2 = tolerance2;
        ts_.col_matrix[0] = ts_.col_matrix[6] = left;
        ts_.col_matrix[2] = ts_.col_matrix[8] = right;
        const uint64_t before = ts_.rays.primary;
        rt_area(ts_, 0, 6, BandRows{bytes.data(), width});
        return ts_.rays.primary - before;
    }

    test::InProcess env_;
    TraceState ts_;
};

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
