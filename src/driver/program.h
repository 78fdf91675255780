// Entry point, start-up and the frame loop of zyray.
#pragma once

#include "scene/scene.h"

namespace zy {

/// The scene over the global records that frame preparation writes (rt_var,
/// the floor, the octree); what the frame loop hands to the renderer.
Scene frame_scene();

/// Runs zyray in the working folder; ends through prg_term2.
[[noreturn]] void zyray_main();
void prg_init();
void prg_loop();

}  // namespace zy
