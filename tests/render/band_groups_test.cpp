// How a frame's bands are split into groups: every band once, in groups the
// buffers hold, shrinking so that little is left to write after the threads
// stop and each group's tracing hides the writing of the one before.
#include <gtest/gtest.h>

#include <vector>

#include "render/band_renderer.h"

namespace zy {
namespace {

std::vector<int32_t> groups_of(int32_t bands, int32_t group, int threads) {
    std::vector<int32_t> sizes;
    for (int32_t left = bands; left > 0; left -= sizes.back()) {
        sizes.push_back(next_group_size(left, group, threads));
        if (sizes.back() <= 0) break;
    }
    return sizes;
}

TEST(BandGroups, CoverTheFrameWithinTheBufferAndEndShort) {
    for (int threads : {2, 3, 5}) {
        for (int32_t group : {2 * threads, 64, 128}) {
            for (int32_t bands : {1, 3, 2 * threads, 2 * threads + 1, 45, 120, 1000}) {
                const std::vector<int32_t> sizes = groups_of(bands, group, threads);
                int32_t total = 0;
                for (std::size_t i = 0; i < sizes.size(); ++i) {
                    EXPECT_GT(sizes[i], 0);
                    EXPECT_LE(sizes[i], group);
                    // Tracing a group hides the writing of the one before it.
                    if (i > 0) {
                        EXPECT_GE(sizes[i], sizes[i - 1] / 2);
                    }
                    total += sizes[i];
                }
                EXPECT_EQ(total, bands) << threads << " threads, groups of " << group << ", " << bands << " bands";
                EXPECT_LE(sizes.back(), 2 * threads);
            }
        }
    }
    // A frame that one group would hold is traced in shrinking groups.
    EXPECT_EQ(groups_of(45, 128, 2), (std::vector<int32_t>{23, 11, 6, 3, 2}));
    // One thread writes each band while it traces the next.
    EXPECT_EQ(groups_of(3, 1, 1), (std::vector<int32_t>{1, 1, 1}));
}

}  // namespace
}  // namespace zy
