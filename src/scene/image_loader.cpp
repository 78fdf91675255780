// Texture images: each file read whole into a start-up block; the header is
// checked against the file so that pixel reads stay inside it.
#include "scene/image_loader.h"

#include <cstdio>
#include <cstring>

#include "driver/emulator.h"
#include "driver/memoire.h"
#include "driver/stop.h"
#include "driver/xfile.h"
#include "scene/records.h"
#include "scene/rt_var.h"

namespace zy {

namespace {

constexpr int32_t kPixelStart = 16;

// Bytes the pixel rows of a valid header need; -1 for an unknown type.
int64_t pixel_bytes_needed(const IIM_HEADER& h) {
    const int64_t w = h.width, rows = h.height;
    switch (h.type) {
        case 0: return (w + 7) / 8 * rows;
        case 1: return w * rows;
        case 2:
        case 3: return 0;
        case 4: return 3 * w * rows;
        case 5: return 4 * w * rows;
        default: return -1;
    }
}

[[noreturn]] void close_and_stop(int32_t handle, int error) {
    Fclose(handle);
    ZY_STOP(error);
}

void read_image(const char* name, IIM_IMAGE& img) {
    const int32_t handle = xf_Fopen(name, 0);
    if (handle < 0) {
        char alert[512];
        std::snprintf(alert, sizeof alert, "[1][  Texture introuvable:|%s][Ok]", name);
        my_form_alert(1, alert);
        ZY_STOP(kErrImage);
    }
    const int32_t size = Fseek(0, handle, 2);
    if (size < 0 || Fseek(0, handle, 0) < 0) close_and_stop(handle, kErrRead);
    if (size < kPixelStart) close_and_stop(handle, kErrFormat);
    auto* data = static_cast<uint8_t*>(my_malloc(static_cast<std::size_t>(size)));
    if (data == nullptr) close_and_stop(handle, kErrMemory);
    if (Fread(handle, size, data) != size) close_and_stop(handle, kErrRead);
    Fclose(handle);

    IIM_HEADER header;
    std::memcpy(&header, data + 8, sizeof header);
    translate_IIM_HEADER(&header);
    const int64_t available = size - kPixelStart;
    const int64_t needed = pixel_bytes_needed(header);
    if (needed < 0 || header.width < 1 || header.height < 1 || needed > available) ZY_STOP(kErrFormat);

    img.type = header.type;
    img.head1 = header.head1;
    img.width = header.width;
    img.height = header.height;
    img.pixels = data + kPixelStart;
    img.size = available;
}

}  // namespace

void rt_read_images() {
    for (int i = 0; i < rt_var.n_img; ++i) read_image(rt_var.img_names[i], rt_var.images[i]);
}

}  // namespace zy
