// Preparing the task folders of a farm from a scene folder.
#pragma once

#include <filesystem>

#include "zyfarm/plan.h"

namespace zy::zyfarm {

/// Cuts the scene's frames into tasks even ranges and gives each task a folder
/// in work (created; it must be missing or empty) in which a plain zyray run
/// renders exactly that range: the shade file, the textures, the settings with
/// frame_count = the range's end and autosave on, the frame file cut to that
/// many blocks, and a break file that starts the run at the range's first frame.
/// The plan is written last, so a folder holding one was split completely.
FarmPlan split_scene(const fs::path& scene_dir, int tasks, const fs::path& work);

/// Parses a positive count given on the command line as the argument named name.
int parse_count(const std::string& text, const char* name);

}  // namespace zy::zyfarm
