// Frame file: one equally sized block per frame.
#pragma once

#include <cstdint>

namespace zy {

/// Loads the given frame (called in increasing order from first_frame).
void rt_load_frame(int16_t frame);
void rt_read_frame();
void rt_read_cam();
void rt_read_light();
void rt_read_matrix();
void rt_read_pnt();
void rt_read_tri();
/// Forgets the block size so that the next rt_load_frame sizes the file again.
void reset_frame_loader();

}  // namespace zy
