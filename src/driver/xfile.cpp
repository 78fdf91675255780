#include "driver/xfile.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <cstring>

#include "driver/emulator.h"
#include "names/file_names.h"

namespace zy {

namespace {

// The one buffered reader.
struct Reader {
    unsigned char* buffer = nullptr;
    int32_t capacity = 0;
    int32_t position = 0;   // read position inside the buffer
    int32_t available = 0;  // bytes available from position
    int32_t remaining = 0;  // bytes of the file not yet in the buffer
    int32_t handle = -1;
} reader;

// Copies the name into a bounded local buffer and normalises it.
struct NormalName {
    char text[500];
    explicit NormalName(const char* name) {
        std::strncpy(text, name, sizeof text - 1);
        text[sizeof text - 1] = '\0';
        universal_path(text);
    }
};

}  // namespace

int32_t xf_Fopen(const char* name, int16_t mode) { return Fopen(NormalName(name).text, mode); }

int32_t xf_Fcreate(const char* name, int16_t attribute) { return Fcreate(NormalName(name).text, attribute); }

int32_t xf_unlink(const char* name) { return Fdelete(NormalName(name).text); }

namespace {

// Makes file hold exactly the size bytes of initial, never visible shorter:
// they go to a scratch file beside it that is then renamed onto the name.
bool create_whole(const std::filesystem::path& file, const void* initial, int32_t size) {
    std::filesystem::path scratch = file;
    scratch += ".new";
    std::FILE* out = std::fopen(scratch.c_str(), "wb");
    if (out == nullptr) return false;
    const bool written = std::fwrite(initial, 1, static_cast<std::size_t>(size), out) == static_cast<std::size_t>(size);
    const bool closed = std::fclose(out) == 0;
    std::error_code ec;
    if (written && closed) std::filesystem::rename(scratch, file, ec);
    if (!written || !closed || ec) {
        std::filesystem::remove(scratch, ec);
        return false;
    }
    return true;
}

}  // namespace

int32_t xf_Fopen_or_create(const char* name, const void* initial, int32_t size) {
    const NormalName normal(name);
    std::error_code ec;
    const std::filesystem::path file(get_nom(normal.text));
    const auto existing = std::filesystem::file_size(file, ec);
    if (!ec) {
        if (existing > static_cast<std::uintmax_t>(size))
            std::filesystem::resize_file(file, static_cast<std::uintmax_t>(size), ec);
        return Fopen(normal.text, 1);
    }
    // Where the whole file cannot be made (a folder or ".." in the way, no
    // room), the plain creation fails with its own lines.
    if (!create_whole(file, initial, size)) return Fcreate(normal.text, 0);
    return Fopen(normal.text, 1);
}

int32_t xf_size(const char* name) {
    const int32_t h = xf_Fopen(name, 0);
    if (h < 0) return -1;
    const int32_t size = Fseek(0, h, 2);
    Fclose(h);
    return size;
}

int32_t xf_init(int32_t size) {
    xf_end();
    reader.buffer = static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(size)));
    if (reader.buffer == nullptr) return -1;
    reader.capacity = size;
    reader.position = reader.available = reader.remaining = 0;
    return 0;
}

void xf_end() {
    std::free(reader.buffer);
    reader.buffer = nullptr;
    reader.capacity = 0;
    reader.position = reader.available = reader.remaining = 0;
}

int32_t xf_ropen(const char* name, int32_t offset) {
    if (name == nullptr) return -1;
    const int32_t h = xf_Fopen(name, 0);
    if (h < 0) return -1;
    reader.handle = h;
    const int32_t size = Fseek(0, h, 2);
    reader.remaining = size - offset;
    reader.position = reader.available = 0;
    Fseek(offset, h, 0);
    return size - offset;
}

int32_t xf_read(void* destination, int32_t length) {
    if (length > reader.capacity) return -2;
    if (length > reader.available) {
        std::memmove(reader.buffer, reader.buffer + reader.position, static_cast<std::size_t>(reader.available));
        const int32_t room = reader.capacity - reader.available;
        const int32_t n = reader.remaining < room ? reader.remaining : room;
        reader.position = 0;
        if (n <= 0) return -1;
        if (Fread(reader.handle, n, reader.buffer + reader.available) < n) return -1;
        reader.available += n;
        reader.remaining -= n;
        if (reader.available < length) return -1;
    }
    if (length > 0) std::memcpy(destination, reader.buffer + reader.position, static_cast<std::size_t>(length));
    reader.position += length;
    reader.available -= length;
    return 0;
}

int32_t xf_rclose() {
    const int32_t result = Fclose(reader.handle);
    reader.handle = -1;
    return result;
}

}  // namespace zy
