// zyray: without arguments, renders the scene described by the files in the
// working folder. With arguments it becomes the front end, zyray-front beside
// it: the batch renderer does not load the compiler's libraries at start-up.
// The one exception is `zyray --rows-until N`, a farm's band task: the batch
// renderer stopping every frame after row N.
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>

#include "driver/program.h"
#include "driver/program_state.h"

namespace {

// Row N (1-based, N >= 1) as the line to stop before, or 0 when text is not one.
int32_t parse_row(const char* text) {
    int32_t row = 0;
    const char* end = text + std::strlen(text);
    const auto [ptr, ec] = std::from_chars(text, end, row);
    return ec == std::errc() && ptr == end && row >= 1 ? row : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 1) zy::zyray_main();
    if (argc == 3 && std::strcmp(argv[1], "--rows-until") == 0) {
        zy::line_limit = parse_row(argv[2]);
        if (zy::line_limit > 0) zy::zyray_main();
        std::fprintf(stderr, "zyray: --rows-until wants a row number from 1, not \"%s\"\n", argv[2]);
        return 2;
    }
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string front = n > 0 ? std::string(self, static_cast<std::size_t>(n)) : std::string(argv[0]);
    front = front.substr(0, front.rfind('/') + 1) + "zyray-front";
    execv(front.c_str(), argv);
    std::fprintf(stderr, "zyray: cannot start the front end %s: %s\n", front.c_str(), std::strerror(errno));
    return 2;
}
