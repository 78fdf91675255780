// Division of the root into the whole tree, used by rt_cell_init.
#pragma once

#include "cells/cells.h"

namespace zy {

/// Divides root (a leaf holding all triangles of the frame, in array order,
/// tolerances set) into the tree:
/// every cell whose count reaches its level's threshold, down to level 9, gets
/// eight children holding the triangles that overlap them, in triangle-array
/// order. tame: every vertex coordinate of the frame is finite and of modest
/// size, which lets the overlap test skip clip stages that cannot change
/// anything. A division that runs out of memory leaves its cell a leaf. Every
/// leaf gets its bounds.
void divide_cells(CELL& root, bool tame);

/// Largest coordinate magnitude for which divide_cells may be told tame.
inline constexpr double kTameCoordinate = 1e300;

}  // namespace zy
