// The start and end of a run and the preparation of each frame: the one
// sequence that zyray, the in-process tests, the fuzz targets and the
// benchmark share.
#pragma once

#include <cstdint>

namespace zy {

/// Empties the handle table, puts the driver globals, rt_var and the frame
/// loader back to their start values, marks new blocks as the scene's and
/// gives the reader its buffer; false when that buffer cannot be had.
bool start_run();
/// Closes every handle, releases all tracked memory and the reader's buffer.
void end_run();

/// The steps that prepare a frame for rt_run, in order.
enum class FrameStep { load, group, place, octree };
inline constexpr FrameStep kFrameSteps[] = {FrameStep::load, FrameStep::group, FrameStep::place, FrameStep::octree};

/// Makes frame current; the blocks allocated until end_frame are the frame's.
void begin_frame(int16_t frame);
/// load: reads the current frame; group: numbers its vertex-sharing groups;
/// place: puts the floor and the camera; octree: builds the cell tree.
void run_frame_step(FrameStep step);
/// begin_frame, then every step up to and including through.
void prepare_frame(int16_t frame, FrameStep through = FrameStep::octree);
/// Releases the frame's blocks; the next frame starts at its first line.
void end_frame();

}  // namespace zy
