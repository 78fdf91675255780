// zyray SCENE [options]: from a scene to pictures people can open.
#pragma once

namespace zy::front {

/// Runs the front end on the command line; returns the exit status.
int run_front(int argc, char** argv);

}  // namespace zy::front
