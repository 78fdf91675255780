// Renders groups of bands (row pairs) on all threads. A sample depends only on
// its position, so corner rows and blocks of many bands can be computed at once,
// each thread with its own trace state; the caller writes the bands in order,
// each group while the next one is traced.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "scene/scene.h"
#include "scene/trace_state.h"

namespace zy {

/// Rays traced by the frames rendered so far in this process (for the benchmarks).
RayCounts rays_traced();

/// How many of a frame's bands_left bands to render in the next group, for
/// groups of at most group bands on the given number of threads. A group's
/// bands are written while the next group is traced, and the last group's
/// after every thread has finished: so the groups shrink toward the end.
int32_t next_group_size(int32_t bands_left, int32_t group, int threads);

class BandRenderer {
public:
    /// Prepares one trace state per thread for the frame's scene, which must
    /// outlive the renderer; the first band starts at line first_line.
    BandRenderer(const Scene& scene, int32_t first_line, int threads);
    /// Adds the rays of every thread to rays_traced().
    ~BandRenderer();
    BandRenderer(const BandRenderer&) = delete;
    BandRenderer& operator=(const BandRenderer&) = delete;

    /// Renders the next count bands (count <= bands_per_group()). Meanwhile
    /// runs on the calling thread before it joins the work, and may read the
    /// previous group's bands; it must neither throw nor stop. Afterwards
    /// band(i) holds the 2 x res_x x 3 bytes of band i of the new group.
    void render_next(int32_t count, const std::function<void()>& meanwhile);
    const uint8_t* band(int32_t i) const {
        return bytes_[shown_].data() + static_cast<std::size_t>(i) * band_size_;
    }
    int32_t bands_per_group() const { return group_; }

private:
    RT_COL& corner(int32_t row, int32_t column) { return corners_[static_cast<std::size_t>(row) * corner_count_ + column]; }

    const Scene& scene_;
    int threads_;
    int32_t corner_count_;   // corners per corner row
    std::size_t band_size_;  // bytes of one band
    int32_t group_;          // bands rendered together
    int32_t next_line_;      // first line of the next group
    std::vector<TraceState> states_;
    std::vector<RT_COL> corners_;  // group_ + 1 corner rows; row 0 is the previous group's last
    std::vector<uint8_t> bytes_[2];  // the group being traced and the one being written
    int shown_ = 0;                  // the buffer band() reads
};

}  // namespace zy
