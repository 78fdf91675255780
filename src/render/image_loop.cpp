#include <omp.h>

#include <algorithm>
#include <cstdio>

#include "driver/console.h"
#include "driver/emulator.h"
#include "driver/program_state.h"
#include "driver/stop.h"
#include "driver/xfile.h"
#include "render/band_renderer.h"
#include "render/render.h"
#include "render/tiff_header.h"

namespace zy {

namespace {

void name_picture(const RT_VAR& settings, std::span<char> out_name) {
    if (settings.frame_count == 1) {
        std::snprintf(out_name.data(), out_name.size(), "%s%s", settings.path, scnname);
        extension(out_name.data(), ".TIF");
    } else {
        std::snprintf(out_name.data(), out_name.size(), "%sZY_%05d.TIF", settings.path, settings.frame_current + 1);
    }
}

// A frame from its top: a fresh picture file with its header.
void create_picture(const char* out_name, const uint8_t* header, int32_t header_size) {
    // The break file says where this frame starts as soon as it exists, so
    // that a run stopped before its first band still resumes.
    if (autosave && brk_handle < 0) write_break_file(actframe, 0);
    if (handle_tiff >= 0) {
        Fclose(handle_tiff);
        handle_tiff = -1;
    }
    handle_tiff = xf_Fcreate(out_name, 0);
    if (handle_tiff < 0) ZY_STOP(kErrCreate);
    if (Fwrite(handle_tiff, header_size, header) != header_size) ZY_STOP(kErrWrite);
}

// A resumed frame continues where the break line says its rows end, whatever
// the file holds beyond: a stop between a row write and the break file update
// must not duplicate rows. Returns the error that stops the frame, or 0.
int16_t reopen_picture(const char* out_name, int32_t res_x, int32_t line) {
    handle_tiff = xf_Fopen(out_name, 1);
    if (handle_tiff < 0) return kErrOpen;
    const int64_t offset = kTiffHeaderSize + int64_t{line} * res_x * 3;
    // The file layer addresses 2 GiB; a file too short lacks rows above the line.
    if (offset > INT32_MAX || Fseek(0, handle_tiff, 2) < offset) return kErrOpen;
    Fseek(static_cast<int32_t>(offset), handle_tiff, 0);
    return 0;
}

void print_progress(int32_t y) {
    char text[32];
    std::snprintf(text, sizeof text, "  ligne : %d", y + 1);
    console_line(text);
}

// Writes the renderer's first count bands from line y on, each with its
// progress line and break-file update, as far as the first fault; returns that
// fault's error, or 0. Never stops: it runs while other threads trace.
int16_t write_bands(const RT_VAR& settings, const char* out_name, const BandRenderer& renderer, int32_t count,
                    int32_t& y) {
    const int32_t line_size = settings.res_x * 3;
    for (int32_t b = 0; b < count; ++b, y += 2) {
        print_progress(y);
        if (handle_tiff < 0) {
            if (const int16_t fault = reopen_picture(out_name, settings.res_x, y); fault != 0) return fault;
        }
        const int32_t bytes = std::min(2, settings.res_y - y) * line_size;
        if (Fwrite(handle_tiff, bytes, renderer.band(b)) != bytes) return kErrWrite;
        if (autosave) write_break_file(actframe, static_cast<int16_t>(y + 2));
        rt_user_break();
    }
    return 0;
}

}  // namespace

void rt_user_break() {}

void rt_run(const Scene& scene, std::span<char> out_name) {
    const RT_VAR& settings = scene.settings;
    name_picture(settings, out_name);
    uint8_t header[kTiffHeaderSize];
    int32_t header_size = 0;
    xtiff_tc_header(settings.res_x, settings.res_y, header, header_size);
    const int32_t res_y = std::min<int32_t>(settings.res_y, line_limit);
    if (first_line >= res_y) return;  // every row of this frame (or band) is written already
    if (first_line == 0) create_picture(out_name.data(), header, header_size);

    // Bands are traced in groups on all threads; each group is written strictly
    // in order, as one thread would, while the next one is traced.
    const int threads = omp_get_max_threads();
    BandRenderer renderer(scene, first_line, threads);
    int32_t written = first_line;  // first line not yet written
    int32_t pending = 0;           // bands traced but not yet written
    int16_t fault = 0;
    for (int32_t y = first_line; y < res_y;) {
        const int32_t bands = next_group_size((res_y - y + 1) / 2, renderer.bands_per_group(), threads);
        renderer.render_next(bands, [&] { fault = write_bands(settings, out_name.data(), renderer, pending, written); });
        if (fault != 0) ZY_STOP(fault);
        pending = bands;
        y += 2 * bands;
    }
    fault = write_bands(settings, out_name.data(), renderer, pending, written);
    if (fault != 0) ZY_STOP(fault);
}

}  // namespace zy
