// The renderer: image loop (image_loop, tiff_header), sampling and
// antialiasing (sampling), shading (shading, surface_material), lights and
// shadows (lights), sky, clouds and fog (sky). Every routine that traces takes
// the caller's TraceState and reads the scene only, so a sample depends on
// nothing but the frame and its position.
//
// Beyond the usual range:
// - Odd sizes run the block scheme as for the next even size; the extra
//   column and row are traced (they steer the antialiasing) but never written.
// - Line buffers are sized from res_x; any width the settings allow works.
// - A resumed frame writes at 196 + line * res_x * 3 whatever the file holds
//   beyond (a file shorter than that: error 3); a break line at or beyond
//   res_y leaves the frame alone.
// - A negative or NaN channel is black at the gamma step; cloud_a 0 draws no
//   clouds; fog with distance 0 and fog_distance 0 is none; the upper sky
//   gradient at sky_height 3000000 gives the top colour.
#pragma once

#include <cstdint>
#include <span>

#include "scene/scene.h"

namespace zy {

/// Names the picture of the scene's frame settings.frame_current into out_name
/// (the settings' out_name) and renders the frame into it, resuming at
/// first_line; the picture file stays open for the driver to close.
void rt_run(const Scene& scene, std::span<char> out_name);

/// Hook called after every written row pair; does nothing.
void rt_user_break();

}  // namespace zy
