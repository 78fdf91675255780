// What the loaders made of the scene files, as text to compare with a recorded
// expectation in a test program's data folder: every value the renderer reads,
// one record a line, numbers to the last bit.
#pragma once

#include <string>

#include "support/test_support.h"

namespace zy::test {

/// The settings and surfaces in rt_var (the floor's when it is on).
std::string loaded_settings();

/// The camera, lights and matrices of the frame in rt_var, and its first
/// `items` points and triangles.
std::string loaded_frame(int items);

/// The texture images in rt_var, pixels included.
std::string loaded_images();

/// Expects text to equal the named file of the data folder, leaving out its
/// empty lines and the lines that start with '#'.
void expect_recorded(const std::string& text, const fs::path& data_file);

}  // namespace zy::test
