// Start-up load: shade file, settings file, break file.
#pragma once

#include <cstdint>

#include "scene/records.h"

namespace zy {

/// Bytes of all the per-scene arrays the settings' counts announce.
uint64_t announced_array_bytes(const RT_INF& inf);

/// Reads the shade, settings and break files into rt_var and the driver globals.
void rt_load_info();
/// Parses the settings file from the open reader.
void rt_read_info();

}  // namespace zy
