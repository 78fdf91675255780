// The animation the farm tests render, and the ways to run zyfarm and compare
// its pictures with a single zyray run.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "writer/scene_writer.h"

namespace zy::test {

/// A ball with a pattern and animated wave bumps on a wavy checkered floor,
/// a textured wall behind it, autosave on: everything a frame number changes.
/// width x height pixels, frames frames.
writer::Scene farm_scene(int16_t frames, int16_t width, int16_t height);

/// Writes the scene files and its texture into folder.
void write_farm_scene(const fs::path& folder, const writer::Scene& scene);

/// Picture names and bytes of a folder's .tif files.
using Pictures = std::map<std::string, std::vector<uint8_t>>;
Pictures pictures_in(const fs::path& folder);

/// The pictures of one zyray run of scene in a fresh folder.
Pictures reference_pictures(const writer::Scene& scene);

/// A farm: an animation of frames frames split into tasks tasks.
struct FarmCase {
    int frames, tasks;
};

/// What a zyfarm run shows.
using FarmRun = CommandRun;

/// Runs the real zyfarm with the arguments (each quoted for the shell).
FarmRun run_zyfarm(const std::vector<std::string>& args);

/// A word for the shell.
std::string quoted(const std::string& word);

/// While it lives, the programs started (and the Slurm jobs submitted) take
/// the stop shim: the one zyray that first leaves its break file at (frame,
/// line) stops itself there and writes its id into marker, so that a kill
/// lands exactly at that moment however fast the machine is.
class StopShim {
public:
    StopShim(int frame, int line, const fs::path& marker);
    ~StopShim();

private:
    std::string saved_asan_;
};

/// The state letter /proc shows for the process (R, S, T, Z ...), or 0 if there is none.
char process_state(const std::string& pid);

/// The process the shim stopped, once it has stopped (its id in the marker,
/// state T); empty after a minute (a hang).
std::string wait_for_stopped(const fs::path& marker);

}  // namespace zy::test
