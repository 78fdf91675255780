#include "driver/program.h"

#include <csignal>
#include <cstdio>
#include <new>

#include "cells/cells.h"
#include "driver/lifecycle.h"
#include "driver/program_state.h"
#include "driver/stop.h"
#include "geometry/floor.h"
#include "materials/noise.h"
#include "render/render.h"
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

Scene frame_scene() { return {rt_var, floor_tri, floor_radius_sqr, scene_cell, cell_tolerance, scene_t, scene_filled}; }

void prg_loop() {
    const Scene scene = frame_scene();
    actframe = static_cast<int16_t>(first_frame);
    while (actframe < rt_var.frame_count) {
        prepare_frame(actframe);
        rt_run(scene, rt_var.out_name);
        if (autosave) write_break_file(static_cast<int16_t>(actframe + 1), 0);
        end_frame();
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
    if (!start_run()) ZY_STOP(kErrMemory);
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
