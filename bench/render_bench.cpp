// Times the render phase of a generated scene (a ball of a few thousand
// triangles on a reflecting floor, two lights with shadows, 640 x 480) with one
// thread and with all, alternating runs so both see the same machine load.
//
//   zybench_render [runs]
#include <fcntl.h>
#include <omp.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "cells/cells.h"
#include "driver/emulator.h"
#include "driver/program.h"
#include "driver/program_state.h"
#include "driver/xfile.h"
#include "geometry/camera.h"
#include "geometry/floor.h"
#include "render/render.h"
#include "scene/frame_loader.h"
#include "scene/rt_var.h"
#include "writer/generated_scenes.h"

namespace {

namespace fs = std::filesystem;

// The renderer prints its progress lines; keep them out of the table.
double timed_render(int threads) {
    omp_set_num_threads(threads);
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    const auto start = std::chrono::steady_clock::now();
    zy::rt_run();
    const auto stop = std::chrono::steady_clock::now();
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(null);
    close(saved);
    return std::chrono::duration<double>(stop - start).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const fs::path folder = fs::temp_directory_path() / ("zybench-render-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const zy::writer::Scene scene = zy::writer::mesh_on_floor_scene(48, 64, 640, 480, 1);
    zy::writer::write_scene(folder, scene);
    fs::current_path(folder);

    // Load and prepare the frame exactly as zyray does, quietly.
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    zy::init_emulator();
    zy::reset_program_state();
    zy::reset_frame_loader();
    zy::xf_init(32000);
    zy::prg_init();
    zy::flag_temporaire = 1;
    zy::rt_load_frame(0);
    zy::rt_tri_group();
    zy::rt_floor_place();
    zy::rt_viewing();
    zy::rt_preprocess();
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(null);
    close(saved);

    const int all = omp_get_max_threads();
    std::vector<double> one, many;
    for (int i = 0; i < runs; ++i) {
        one.push_back(timed_render(1));
        many.push_back(timed_render(all));
    }
    std::printf("render phase, %d triangles, 640 x 480, median of %d runs\n", zy::rt_var.n_tri, runs);
    std::printf("  1 thread : %8.3f s\n", median(one));
    std::printf("  %d threads: %8.3f s\n", all, median(many));
    std::printf("  speed-up : %8.2f\n", median(one) / median(many));
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(folder);
    return 0;
}
