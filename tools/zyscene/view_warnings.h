// Warnings about what the camera would show: nothing, or only the inside of
// a small object around the eye.
#pragma once

#include <string>
#include <vector>

#include "zyscene/description.h"
#include "zyscene/mesh.h"

namespace zy::zyscene {

/// At most one line per kind, naming the first frame (from 1) it happens in
/// and how many more do: no object's box in the camera's view; the eye inside
/// the box of an object whose largest side is below a quarter of the view's
/// reach (the farthest of the look-at point and the corners of all boxes).
/// A room around the camera is as large as the view, and passes.
std::vector<std::string> view_warnings(const Description& d, const std::vector<Mesh>& meshes);

}  // namespace zy::zyscene
