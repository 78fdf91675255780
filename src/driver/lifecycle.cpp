#include "driver/lifecycle.h"

#include <cstring>

#include "cells/cells.h"
#include "driver/emulator.h"
#include "driver/memoire.h"
#include "driver/program_state.h"
#include "driver/xfile.h"
#include "geometry/camera.h"
#include "geometry/floor.h"
#include "geometry/triangle.h"
#include "scene/frame_loader.h"
#include "scene/rt_var.h"

namespace zy {

namespace {

constexpr int32_t kReaderBufferSize = 32000;

}  // namespace

bool start_run() {
    init_emulator();
    reset_program_state();
    // A run stopped inside a frame leaves the frame's mark behind.
    set_block_mark(0);
    std::memset(&rt_var, 0, sizeof rt_var);
    reset_frame_loader();
    return xf_init(kReaderBufferSize) == 0;
}

void end_run() {
    for (int32_t h = 0; h < kHandleCount; ++h) Fclose(h);
    free_all(0);
    xf_end();
}

void begin_frame(int16_t frame) {
    set_block_mark(1);
    rt_var.frame_current = frame;
}

void run_frame_step(FrameStep step) {
    switch (step) {
        case FrameStep::load: rt_load_frame(rt_var.frame_current); break;
        case FrameStep::group: rt_tri_group(); break;
        case FrameStep::place:
            if (rt_var.floor_on) rt_floor_place();
            rt_viewing();
            break;
        case FrameStep::octree: rt_preprocess(rt_var); break;
    }
}

void prepare_frame(int16_t frame, FrameStep through) {
    begin_frame(frame);
    for (FrameStep step : kFrameSteps) {
        run_frame_step(step);
        if (step == through) break;
    }
}

void end_frame() {
    first_line = 0;
    set_block_mark(0);
    free_all(1);
}

}  // namespace zy
