#include "front/progress.h"

#include <algorithm>
#include <cmath>

#include "zyfarm/status.h"

namespace zy::front {

std::string clock_time(double seconds) { return zyfarm::clock_text(std::lround(std::max(0.0, seconds))); }

Progress::Progress(ProgressStyle style, int frames, int rows, int first_frame, int rows_done, std::FILE* out)
    : style_(style),
      frames_(frames),
      rows_(rows),
      frame_(first_frame),
      frame_rows_(rows_done),
      rows_at_start_(long{first_frame} * rows + rows_done),
      out_(out) {}

void Progress::frame_started() {
    if (started_) frame_done();
    started_ = true;
}

void Progress::rows_written(int rows) {
    frame_rows_ = rows;
    if (style_ == ProgressStyle::Terminal) draw();
}

void Progress::finish() {
    if (started_) frame_done();
    if (style_ == ProgressStyle::Terminal) std::fputs("\r\033[K", out_);
    std::fflush(out_);
}

double Progress::rows_left_seconds() const {
    const long done = long{frame_} * rows_ + frame_rows_;
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    const long rendered = done - rows_at_start_;
    return rendered > 0 ? elapsed / static_cast<double>(rendered) * static_cast<double>(long{frames_} * rows_ - done)
                        : NAN;
}

void Progress::frame_done() {
    frame_rows_ = rows_;
    if (style_ == ProgressStyle::Lines) {
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        const double left = rows_left_seconds();
        std::fprintf(out_, "frame %d of %d done, %d%%, %s elapsed, %s left\n", frame_ + 1, frames_,
                     static_cast<int>(100L * (frame_ + 1) / frames_), clock_time(elapsed).c_str(),
                     std::isnan(left) ? "?" : clock_time(left).c_str());
        std::fflush(out_);
    }
    ++frame_;
    frame_rows_ = 0;
}

void Progress::draw() {
    constexpr int kBar = 24;
    const long total = long{frames_} * rows_;
    const long done = std::min(total, long{frame_} * rows_ + frame_rows_);
    const int filled = static_cast<int>(kBar * done / total);
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    const double left = rows_left_seconds();
    std::fprintf(out_, "\r\033[Kframe %d of %d [%s%s] %3d%%  %s elapsed, %s left", std::min(frame_ + 1, frames_),
                 frames_, std::string(static_cast<std::size_t>(filled), '#').c_str(),
                 std::string(static_cast<std::size_t>(kBar - filled), '-').c_str(),
                 static_cast<int>(100 * done / total), clock_time(elapsed).c_str(),
                 std::isnan(left) ? "?" : clock_time(left).c_str());
    std::fflush(out_);
}

}  // namespace zy::front
