// Placeholders for the rooms that are still being built; each is removed when
// its real routine lands.
#include <cstdio>

#include "cells/cells.h"
#include "geometry/camera.h"
#include "geometry/floor.h"
#include "materials/materials.h"
#include "materials/noise.h"
#include "render/render.h"
#include "scene/frame_loader.h"
#include "scene/image_loader.h"

namespace zy {


}  // namespace zy
