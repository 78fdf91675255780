#include <algorithm>
#include <cstdio>
#include <vector>

#include "driver/emulator.h"
#include "driver/program_state.h"
#include "driver/stop.h"
#include "driver/xfile.h"
#include "render/render.h"
#include "render/sampling.h"
#include "render/tiff_header.h"

namespace zy {

namespace {

void name_picture() {
    if (rt_var.frame_count == 1) {
        std::snprintf(rt_var.out_name, sizeof rt_var.out_name, "%s%s", rt_var.path, scnname);
        extension(rt_var.out_name, ".TIF");
    } else {
        std::snprintf(rt_var.out_name, sizeof rt_var.out_name, "%sZY_%05d.TIF", rt_var.path,
                      rt_var.frame_current + 1);
    }
}

// A frame from its top: a fresh picture file with its header.
void create_picture(const uint8_t* header, int32_t header_size) {
    if (autosave && brk_handle < 0) open_break_file();
    if (handle_tiff >= 0) {
        Fclose(handle_tiff);
        handle_tiff = -1;
    }
    handle_tiff = xf_Fcreate(rt_var.out_name, 0);
    if (handle_tiff < 0) ZY_STOP(kErrCreate);
    if (Fwrite(handle_tiff, header_size, header) != header_size) ZY_STOP(kErrWrite);
}

// A resumed frame continues where the break line says its rows end, whatever
// the file holds beyond: a stop between a row write and the break file update
// must not duplicate rows.
void reopen_picture(int32_t line) {
    handle_tiff = xf_Fopen(rt_var.out_name, 1);
    if (handle_tiff < 0) ZY_STOP(kErrOpen);
    const int64_t offset = kTiffHeaderSize + int64_t{line} * rt_var.res_x * 3;
    // The file layer addresses 2 GiB; a file too short lacks rows above the line.
    if (offset > INT32_MAX || Fseek(0, handle_tiff, 2) < offset) ZY_STOP(kErrOpen);
    Fseek(static_cast<int32_t>(offset), handle_tiff, 0);
}

void print_progress(int32_t y) {
    char text[32];
    std::snprintf(text, sizeof text, "  ligne : %d", y + 1);
    std::printf("%s\n", text);
}

}  // namespace

void rt_run() {
    name_picture();
    uint8_t header[kTiffHeaderSize];
    int32_t header_size = 0;
    const int32_t res_x = rt_var.res_x;
    const int32_t res_y = rt_var.res_y;
    xtiff_tc_header(res_x, res_y, header, header_size);
    if (first_line >= res_y) return;  // every row of this frame is written already
    if (first_line == 0) create_picture(header, header_size);

    // Odd sizes run the blocks as for the next even size; the extra column and
    // row are traced (they steer the antialiasing) but never written.
    const int32_t last_corner = (res_x + 1) / 2 * 2;
    const int32_t line_size = res_x * 3;
    std::vector<RT_COL> col_line(static_cast<std::size_t>(last_corner / 2 + 1));
    std::vector<uint8_t> band(static_cast<std::size_t>(line_size) * 2);
    const BandRows rows{band.data(), res_x};

    TraceState ts;
    ts.prepare_for_frame();
    RT_COL* m = ts.col_matrix;
    for (int32_t c = 0; c <= last_corner; c += 2) rt_sample(ts, c, first_line, col_line[c / 2]);
    for (int32_t y = first_line; y < res_y; y += 2) {
        print_progress(y);
        rt_sample(ts, 0, y + 2, m[8]);
        for (int32_t x = 0; x < res_x; x += 2) {
            m[0] = col_line[x / 2];
            m[2] = col_line[x / 2 + 1];
            m[6] = m[8];
            rt_sample(ts, x + 2, y + 2, m[8]);
            rt_area(ts, x, y, rows);
            col_line[x / 2] = m[6];
        }
        col_line[last_corner / 2] = m[8];
        if (handle_tiff < 0) reopen_picture(y);
        const int32_t bytes = std::min(2, res_y - y) * line_size;
        if (Fwrite(handle_tiff, bytes, band.data()) != bytes) ZY_STOP(kErrWrite);
        if (autosave) write_break_file(actframe, static_cast<int16_t>(y + 2));
        rt_user_break();
    }
}

}  // namespace zy
