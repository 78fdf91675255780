// Texture images, loaded whole at start-up.
#pragma once

namespace zy {

/// Loads every image named in rt_var.img_names into rt_var.images.
void rt_read_images();

}  // namespace zy
