// Scenes generated in code, for the benchmarks and the tests that need more
// than a handful of triangles.
#pragma once

#include <cstdint>

#include "writer/scene_writer.h"

namespace zy::writer {

/// A smooth, slightly lumpy ball of about 2 x rings x segments triangles
/// standing on a reflecting checkered floor, lit by two lights with shadows,
/// reflections on, seen at width x height; frames > 1 turn the camera.
Scene mesh_on_floor_scene(int rings, int segments, int16_t width, int16_t height, int16_t frames);

}  // namespace zy::writer
