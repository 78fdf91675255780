#include "driver/program.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <new>

#include "cells/cells.h"
#include "driver/emulator.h"
#include "driver/memoire.h"
#include "driver/program_state.h"
#include "driver/stop.h"
#include "driver/xfile.h"
#include "geometry/camera.h"
#include "geometry/floor.h"
#include "materials/noise.h"
#include "render/render.h"
#include "scene/frame_loader.h"
#include "scene/image_loader.h"
#include "scene/rt_var.h"
#include "scene/settings_loader.h"

namespace zy {

void prg_init() {
    prg_var[0] = '\0';
    rt_var.ptrn_mat = rt_var.bump_mat = rt_var.img_mat = nullptr;
    rt_var.images = nullptr;
    rt_var.surfaces = nullptr;
    rt_var.lights = nullptr;
    rt_var.light_refs = nullptr;
    rt_var.obj_tri_count = nullptr;
    rt_var.points = nullptr;
    rt_var.tris = nullptr;
    rt_noise_preprocess();
    rt_cell_init_tht(12, 4.0);
    rt_load_info();
    if (rt_var.n_img > 0) rt_read_images();
}

void prg_loop() {
    actframe = static_cast<int16_t>(first_frame);
    while (actframe < rt_var.frame_count) {
        set_block_mark(1);
        rt_var.frame_current = actframe;
        rt_load_frame(actframe);
        rt_tri_group();
        if (rt_var.floor_on) rt_floor_place();
        rt_viewing();
        rt_preprocess();
        rt_run();
        if (autosave) write_break_file(static_cast<int16_t>(actframe + 1), 0);
        first_line = 0;
        set_block_mark(0);
        free_all(1);
        ++actframe;
    }
}

void zyray_main() {
    // A log redirected to a file or a pipe must hold every line printed so far
    // when the run is killed: that is when it is read.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
#ifdef SIGXFSZ
    // A file-size limit must fail the write like a full disk, with error 5,
    // instead of killing the process.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    init_emulator();
    reset_program_state();
    std::memset(&rt_var, 0, sizeof rt_var);
    reset_frame_loader();
    if (xf_init(32000) != 0) ZY_STOP(kErrMemory);
    try {
        prg_init();
        prg_loop();
    } catch (const std::bad_alloc&) {
        // Working memory of a frame (trace caches, bands) ran out.
        ZY_STOP(kErrMemory);
    }
    ZY_STOP(kNormalEnd);
}

}  // namespace zy
