// Globals of the program driver: resume point, frame counter and global handles.
#pragma once

#include <cstdint>
#include <limits>

// The picture and break file names are made with the name helpers.
#include "names/file_names.h"

namespace zy {

extern char prg_var[141];     ///< directory prefix of the shade file (empty)
extern char scnname[14];      ///< scene name from the shade file
extern int32_t first_frame;   ///< frame this run starts at
extern int32_t first_line;    ///< line the first frame starts at
/// Line every frame stops before: a farm's band task leaves the rows below
/// its band to other runs. Set only by zyray --rows-until, never reset.
extern int32_t line_limit;
inline constexpr int32_t kNoLineLimit = std::numeric_limits<int32_t>::max();
extern int16_t actframe;      ///< frame loop counter
extern int32_t autosave;      ///< 1 when the break file is written
extern int32_t handle_tiff;   ///< picture being written, -1 none
extern int32_t brk_handle;    ///< break file, -1 none
extern int32_t f_handle;      ///< closed by the stop routine when open

/// Puts every driver global back to its start value (in-process runs).
void reset_program_state();

/// 1 when the file can be opened for reading through the file layer.
int16_t exist(const char* name, int16_t mode);
/// Writes frame and line to the break file, opening or creating it first when
/// needed; a break file that cannot be created is silently not written.
void write_break_file(int16_t frame, int16_t line);

}  // namespace zy
