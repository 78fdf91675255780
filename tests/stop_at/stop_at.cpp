// Preloaded into a zyray run by the kill tests (LD_PRELOAD). Right after a
// flush leaves the break file holding the moment named in ZY_STOP_AT_BREAK
// ("frame line"), the whole process stops itself with SIGSTOP, so that the
// test's SIGKILL lands exactly there however fast or loaded the machine is.
// With ZY_STOP_AFTER_PICTURE set, it stops at the next flush of a picture
// instead: rows written that the break file does not count yet.
// ZY_STOP_ONCE names a marker file: only the process that creates it stops,
// so a resumed run that passes the same moment again goes on; the marker
// holds its process id for a test that did not start it.
#include <dlfcn.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace {

std::atomic<bool> armed{false};  // the moment has passed; the next picture write stops

bool file_ends_with(int fd, const char* suffix) {
    char link[64], target[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(link, target, sizeof target - 1);
    return n > 4 && strncasecmp(target + n - 4, suffix, 4) == 0;
}

bool holds_target(int fd) {
    const char* wanted = std::getenv("ZY_STOP_AT_BREAK");
    int frame = 0, line = 0;
    if (wanted == nullptr || std::sscanf(wanted, "%d %d", &frame, &line) != 2) return false;
    unsigned char b[4];
    if (pread(fd, b, 4, 0) != 4) return false;
    return (b[0] << 8 | b[1]) == frame && (b[2] << 8 | b[3]) == line;
}

bool first_to_stop() {
    const char* marker = std::getenv("ZY_STOP_ONCE");
    if (marker == nullptr) return true;
    FILE* out = std::fopen(marker, "wx");
    if (out == nullptr) return false;
    std::fprintf(out, "%d\n", static_cast<int>(getpid()));
    std::fclose(out);  // its flush is not a break file's: no recursion
    return true;
}

}  // namespace

extern "C" int fflush(FILE* stream) {
    static const auto real = reinterpret_cast<int (*)(FILE*)>(dlsym(RTLD_NEXT, "fflush"));
    const int result = real(stream);
    const int fd = stream != nullptr ? fileno(stream) : -1;
    if (fd < 0) return result;
    bool stop = false;
    if (file_ends_with(fd, ".brk") && holds_target(fd)) {
        stop = std::getenv("ZY_STOP_AFTER_PICTURE") == nullptr;
        armed = !stop;
    } else if (armed && file_ends_with(fd, ".tif")) {
        stop = true;
        armed = false;
    }
    if (stop && first_to_stop()) raise(SIGSTOP);
    return result;
}
