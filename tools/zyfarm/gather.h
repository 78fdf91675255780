// Collecting the pictures of a finished farm under their full-run names.
#pragma once

#include <filesystem>

namespace zy::zyfarm {

namespace fs = std::filesystem;

/// Copies every task's pictures from work into out (created when missing),
/// named as a single zyray run of the whole scene names them. Checks every task
/// first and copies nothing unless all have finished and all pictures are there;
/// otherwise throws a not-done FarmError naming the first task at fault.
/// Returns the number of pictures.
int gather_pictures(const fs::path& work, const fs::path& out);

}  // namespace zy::zyfarm
