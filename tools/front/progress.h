// The progress of a render on standard error: one line redrawn in place on a
// terminal, one line per finished frame elsewhere, nothing when quiet.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace zy::front {

enum class ProgressStyle { Quiet, Lines, Terminal };

class Progress {
public:
    /// frames of rows each, numbered from 1 in the messages; the run starts at
    /// frame index first_frame (0 = the first of the job) with rows_done rows of it.
    Progress(ProgressStyle style, int frames, int rows, int first_frame, int rows_done, std::FILE* out = stderr);

    void frame_started();
    void rows_written(int rows);
    /// The render ended normally: the last frame is done.
    void finish();

private:
    double rows_left_seconds() const;
    void frame_done();
    void draw();

    ProgressStyle style_;
    int frames_, rows_;
    int frame_, frame_rows_;  ///< current frame index and its rows done
    bool started_ = false;    ///< the current frame has begun in this run
    long rows_at_start_;
    std::FILE* out_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

/// m:ss, or h:mm:ss from an hour on.
std::string clock_time(double seconds);

}  // namespace zy::front
