// Preparing the task folders of a farm from a scene folder.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "zyfarm/plan.h"

namespace zy::zyfarm {

/// The shares of tasks tasks: even frame ranges while there are at least as
/// many frames as tasks, otherwise each frame cut into about tasks / frames
/// bands of whole two-row bands (a frame of one band is a one-frame range).
/// A frame never gets more bands than it has two-row bands; each frame so
/// capped adds a line to notes.
std::vector<TaskShare> plan_shares(int frames, int height, int tasks, std::vector<std::string>& notes);

/// Cuts the scene into the shares of plan_shares and gives each task a folder
/// in work (created; it must be missing or empty) in which a zyray run renders
/// exactly that share: the shade file, the textures, the settings with
/// frame_count = the share's end frame and autosave on, the frame file cut to
/// that many blocks, and a break file that starts the run at the share's first
/// frame and line (a band below the top also gets its picture file up to that
/// line). A band task's zyray runs with --rows-until its last row. The plan is
/// written last, so a folder holding one was split completely.
FarmPlan split_scene(const fs::path& scene_dir, int tasks, const fs::path& work, std::vector<std::string>& notes);

/// Parses a positive count given on the command line as the argument named name.
int parse_count(const std::string& text, const char* name);

}  // namespace zy::zyfarm
