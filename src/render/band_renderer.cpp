#include "render/band_renderer.h"

#include <omp.h>

#include <algorithm>

#include "render/sampling.h"

namespace zy {

namespace {

// Bands per group. Each group ends in two waits for every thread, which cost
// little on an idle machine but a time slice each when another process holds
// a core: so many bands that a frame takes a few groups, within a buffer
// budget; one thread works band by band.
int32_t group_size(int threads, int32_t corner_count, std::size_t band_size) {
    if (threads <= 1) return 1;
    constexpr std::size_t kBudget = std::size_t{32} << 20;
    const std::size_t per_band = band_size + static_cast<std::size_t>(corner_count) * sizeof(RT_COL);
    const auto fitting = static_cast<int64_t>(kBudget / per_band);
    return static_cast<int32_t>(std::clamp<int64_t>(fitting, 2 * int64_t{threads}, 64 * int64_t{threads}));
}

// Written only between frames, by the thread that runs the image loop.
RayCounts rays_of_finished_frames;

}  // namespace

RayCounts rays_traced() { return rays_of_finished_frames; }

int32_t next_group_size(int32_t bands_left, int32_t group, int threads) {
    // Halving toward the end: each group is traced while the one before it,
    // twice as long, is written (a band takes far longer to trace than to
    // write), and the last one leaves little to write.
    const int32_t last = threads > 1 ? 2 * threads : 1;
    if (bands_left <= last) return std::min(group, bands_left);
    return std::min(group, (bands_left + 1) / 2);
}

BandRenderer::BandRenderer(const Scene& scene, int32_t first_line, int threads)
    : scene_(scene),
      threads_(threads < 1 ? 1 : threads),
      // Odd widths run the blocks as for the next even width.
      corner_count_((scene.settings.res_x + 1) / 2 + 1),
      band_size_(static_cast<std::size_t>(scene.settings.res_x) * 3 * 2),
      group_(group_size(threads_, corner_count_, band_size_)),
      next_line_(first_line),
      states_(static_cast<std::size_t>(threads_)),
      corners_(static_cast<std::size_t>(group_ + 1) * static_cast<std::size_t>(corner_count_)),
      bytes_{std::vector<uint8_t>(static_cast<std::size_t>(group_) * band_size_),
             std::vector<uint8_t>(static_cast<std::size_t>(group_) * band_size_)} {
    for (TraceState& ts : states_) ts.prepare_for_frame();
    // The upper corner row of the first band.
    TraceState& ts = states_[0];
    for (int32_t c = 0; c < corner_count_; ++c) rt_sample(ts, scene, 2 * c, first_line, corner(0, c));
}

BandRenderer::~BandRenderer() {
    for (const TraceState& ts : states_) rays_of_finished_frames += ts.rays;
}

void BandRenderer::render_next(int32_t count, const std::function<void()>& meanwhile) {
    const int32_t blocks = corner_count_ - 1;
    const int64_t corners = int64_t{count} * corner_count_;
    const int64_t areas = int64_t{count} * blocks;
    uint8_t* const bytes = bytes_[1 - shown_].data();
    // Nothing in this region allocates or stops, and only the calling thread
    // prints or writes (in meanwhile): every fatal error of a frame happens in
    // the caller, after the region.
#pragma omp parallel num_threads(threads_)
    {
        TraceState& ts = states_[static_cast<std::size_t>(omp_get_thread_num())];
        if (omp_get_thread_num() == 0) meanwhile();
        // The lower corner rows of the group's bands.
#pragma omp for schedule(dynamic, 32)
        for (int64_t i = 0; i < corners; ++i) {
            const auto row = static_cast<int32_t>(i / corner_count_) + 1;
            const auto column = static_cast<int32_t>(i % corner_count_);
            rt_sample(ts, scene_, 2 * column, next_line_ + 2 * row, corner(row, column));
        }
#pragma omp for schedule(dynamic, 32)
        for (int64_t i = 0; i < areas; ++i) {
            const auto band = static_cast<int32_t>(i / blocks);
            const auto block = static_cast<int32_t>(i % blocks);
            RT_COL* m = ts.col_matrix;
            m[0] = corner(band, block);
            m[2] = corner(band, block + 1);
            m[6] = corner(band + 1, block);
            m[8] = corner(band + 1, block + 1);
            const BandRows rows{bytes + static_cast<std::size_t>(band) * band_size_, scene_.settings.res_x};
            rt_area(ts, scene_, 2 * block, next_line_ + 2 * band, rows);
        }
    }
    shown_ = 1 - shown_;
    // The lower corner row of the last band is the upper one of the next group.
    for (int32_t c = 0; c < corner_count_; ++c) corner(0, c) = corner(count, c);
    next_line_ += 2 * count;
}

}  // namespace zy
