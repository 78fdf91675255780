#include "driver/console.h"

#include <cstdio>

namespace zy {

void console_line(const char* text) { std::printf("%s\n", text); }

}  // namespace zy
