#include "driver/emulator.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "driver/console.h"

#include "names/file_names.h"

namespace zy {

namespace {

std::FILE* handles[kHandleCount];

bool valid(int32_t handle) { return handle >= 0 && handle < kHandleCount && handles[handle] != nullptr; }

// Files live in the working folder: ".." would be its parent and a folder is
// never a file, whatever the stream library would let us open.
bool names_a_file(const char* file) {
    std::error_code ec;
    return file[0] != '\0' && std::strcmp(file, "..") != 0 && !std::filesystem::is_directory(file, ec);
}

}  // namespace

void init_emulator() {
    for (auto& h : handles) h = nullptr;
}

int32_t Fopen(const char* name, int16_t mode) {
    static const char* const stream_modes[] = {"rb", "r+b", "w+b"};
    if (mode < 0 || mode > 2) return kBadMode;
    console_line((std::string("Fopen() : ") + name).c_str());
    const char* file = get_nom(name);
    for (int32_t slot = 0; slot < kHandleCount; ++slot) {
        if (handles[slot] != nullptr) continue;
        handles[slot] = names_a_file(file) ? std::fopen(file, stream_modes[mode]) : nullptr;
        if (handles[slot] == nullptr) {
            console_line("fopen n'a pas march\216");
            return kOpenFailed;
        }
        console_line(("handle ouvert :" + std::to_string(slot)).c_str());
        return slot;
    }
    console_line("Plus de handle");
    return kNoHandle;
}

int32_t Fcreate(const char* name, int16_t /*attribute*/) { return Fopen(name, 2); }

int32_t Fdelete(const char* /*name*/) { return 0; }

int32_t Fwrite(int32_t handle, int32_t count, const void* buffer) {
    if (!valid(handle)) return kBadHandle;
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    int32_t done = 0;
    while (done < count) {
        const int32_t piece = count - done > kPieceSize ? kPieceSize : count - done;
        if (std::fwrite(bytes + done, 1, static_cast<std::size_t>(piece), handles[handle]) !=
            static_cast<std::size_t>(piece))
            return kShortWrite;
        done += piece;
    }
    // A full disk must show at the write that hit it, not at a later close.
    if (std::fflush(handles[handle]) != 0) return kShortWrite;
    return count;
}

int32_t Fread(int32_t handle, int32_t count, void* buffer) {
    if (!valid(handle)) return kBadHandle;
    auto* bytes = static_cast<unsigned char*>(buffer);
    int32_t done = 0;
    while (done < count) {
        const int32_t piece = count - done > kPieceSize ? kPieceSize : count - done;
        const auto got = static_cast<int32_t>(std::fread(bytes + done, 1, static_cast<std::size_t>(piece), handles[handle]));
        done += got;
        if (got != piece) return done;
    }
    return count;
}

int32_t Fseek(int32_t offset, int32_t handle, int16_t mode) {
    if (!valid(handle)) return kBadHandle;
    const int whence = mode == 0 ? SEEK_SET : mode == 1 ? SEEK_CUR : SEEK_END;
    std::fseek(handles[handle], offset, whence);
    const long pos = std::ftell(handles[handle]);
    return pos > INT32_MAX ? INT32_MAX : static_cast<int32_t>(pos);
}

int32_t Fclose(int32_t handle) {
    if (!valid(handle)) return kBadHandle;
    const int result = std::fclose(handles[handle]);
    handles[handle] = nullptr;
    return result == 0 ? 0 : -1;
}

int32_t trunc_i32(double x) {
    if (std::isnan(x)) return 0;
    if (x >= 2147483647.0) return INT32_MAX;
    if (x <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(x);
}

double trunc(double x) { return static_cast<double>(trunc_i32(x)); }

}  // namespace zy
