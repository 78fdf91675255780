// zyray: without arguments, renders the scene described by the files in the
// working folder. With arguments it becomes the front end, zyray-front beside
// it: the batch renderer does not load the compiler's libraries at start-up.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "driver/program.h"

int main(int argc, char** argv) {
    if (argc == 1) zy::zyray_main();
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string front = n > 0 ? std::string(self, static_cast<std::size_t>(n)) : std::string(argv[0]);
    front = front.substr(0, front.rfind('/') + 1) + "zyray-front";
    execv(front.c_str(), argv);
    std::fprintf(stderr, "zyray: cannot start the front end %s: %s\n", front.c_str(), std::strerror(errno));
    return 2;
}
