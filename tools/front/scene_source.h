// The scene a front-end run starts from, as compiled files in a folder.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "front/options.h"
#include "zyfarm/scene_folder.h"

namespace zy::front {

struct SceneSource {
    zyfarm::SceneFolder folder;
    int width = 0, height = 0;  ///< of its pictures
    std::vector<std::string> warnings;  ///< the compiler's
};

/// Compiles the description with the options' overrides into compiled (made
/// afresh), or takes a folder of compiled files as it is, and reads it the way
/// the renderer will. Throws UsageError, zyscene's CompileError or a bad-input
/// FarmError.
SceneSource scene_source(const Options& options, const std::filesystem::path& compiled);

}  // namespace zy::front
