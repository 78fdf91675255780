// Where the renderer's console lines go: standard output, one line each.
#pragma once

namespace zy {

/// Prints text and a newline.
void console_line(const char* text);

}  // namespace zy
