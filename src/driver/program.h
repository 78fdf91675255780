// Entry point, start-up and the frame loop of zyray.
#pragma once

namespace zy {

/// Runs zyray in the working folder; ends through prg_term2.
[[noreturn]] void zyray_main();
void prg_init();
void prg_loop();

}  // namespace zy
