// Seed inputs of the fuzz targets: small scenes made with the scene writer,
// and the scenes zyscene compiles from the examples, cut down to size.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "harness/scene_files.h"

namespace zy::fuzz {

/// Named inputs of one target.
using Seeds = std::vector<std::pair<std::string, Bytes>>;

/// Scenes, settings and textures made with the scene writer, each using a
/// different part of what the loaders and the renderer read.
Seeds writer_seeds(std::string_view target);

/// Seeds from a folder that zyscene wrote: its settings file as it stands,
/// its scene cut down to a few triangles and a 4 x 4 picture of one frame.
/// Throws std::runtime_error when the folder holds no readable scene.
Seeds example_seeds(std::string_view target, const std::filesystem::path& folder);

}  // namespace zy::fuzz
