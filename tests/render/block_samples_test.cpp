// Which samples a refined block traces: its own three pixels and the
// supersamples, never the neighbours' m5 and m7 that nothing reads.
#include <gtest/gtest.h>

#include <vector>

#include "cells/cells.h"
#include "render/sampling.h"
#include "support/test_support.h"

namespace zy {
namespace {

// A frame without triangles or floor: every ray sees the background.
class EmptyFrame : public testing::Test {
protected:
    EmptyFrame() {
        rt_var.n_tri = 0;
        rt_var.floor_on = 0;
        rt_var.fog_on = 0;
        rt_var.sky_color1 = {0.25, 0.25, 0.25};
        rt_var.pixel_dx = {1, 0, 0};
        rt_var.pixel_dy = {0, 1, 0};
        rt_var.pixel_origin = {0, 0, 1};
        scene_cell = CELL{};
        scene_cell.min[0] = scene_cell.min[1] = scene_cell.min[2] = 1;  // above max: holds no point
        ts_.prepare_for_frame();
    }
    ~EmptyFrame() override { scene_cell = CELL{}; }

    // Primary rays traced by rt_area on the block at (0, 6).
    uint64_t rays_of_block(double tolerance, double tolerance2, std::vector<uint8_t>& bytes) {
        rt_var.aa_tolerance = tolerance;
        rt_var.aa_tolerance2 = tolerance2;
        for (int corner : {0, 2, 6, 8}) ts_.col_matrix[corner] = {0.5, 0.5, 0.5};
        const uint64_t before = ts_.rays.primary;
        rt_area(ts_, 0, 6, BandRows{bytes.data(), 2});
        return ts_.rays.primary - before;
    }

    test::InProcess env_;
    TraceState ts_;
};

TEST_F(EmptyFrame, ARefinedBlockTracesItsOwnPixelsAndItsSupersamplesOnly) {
    std::vector<uint8_t> bytes(12);
    // Refined, never supersampled: m1, m3, m4.
    EXPECT_EQ(rays_of_block(0.0, 1.0, bytes), 3u);
    // The traced pixels are the background (0.25 -> 0.5 -> 127), the corner m0 its own.
    EXPECT_EQ(bytes, (std::vector<uint8_t>{127, 127, 127, 127, 127, 127, 127, 127, 127, 127, 127, 127}));
    // Refined and every pixel supersampled: three more rays for each of four pixels.
    EXPECT_EQ(rays_of_block(0.0, 0.0, bytes), 3u + 4 * 3);
    // Agreeing corners: interpolated, no ray.
    EXPECT_EQ(rays_of_block(0.8, 1.0, bytes), 0u);
}

}  // namespace
}  // namespace zy
