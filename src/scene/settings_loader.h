// Start-up load: shade file, settings file, break file.
#pragma once

namespace zy {

/// Reads the shade, settings and break files into rt_var and the driver globals.
void rt_load_info();
/// Parses the settings file from the open reader.
void rt_read_info();

}  // namespace zy
