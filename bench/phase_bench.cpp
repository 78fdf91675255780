// Runs zyray's start-up and frame loop in this process on the scene in a
// folder, timing each phase of every frame and counting the rays traced, with
// each thread count in turn (alternating, so all of them see the same machine
// load). The renderer's console lines go to /dev/null; the result is one JSON
// object on standard output. Every run must give the same picture bytes; the
// last run's pictures of each thread count are kept in KEEP/threads-N/.
//
//   zybench [--runs N] [--threads 1,2] [--keep DIR] SCENE_DIR
//
// Exit status: 0 done, 2 usage, 3 pictures that differ between runs.
#include <fcntl.h>
#include <omp.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "driver/lifecycle.h"
#include "driver/program.h"
#include "driver/program_state.h"
#include "render/band_renderer.h"
#include "render/render.h"
#include "scene/rt_var.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// CPU seconds of all threads of the process: with one thread, the render's
// work without the time other processes took from it.
double cpu_seconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Sends standard output to /dev/null while alive.
class QuietStdout {
public:
    QuietStdout() {
        std::fflush(stdout);
        saved_ = dup(STDOUT_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        close(null);
    }
    ~QuietStdout() {
        std::fflush(stdout);
        dup2(saved_, STDOUT_FILENO);
        close(saved_);
    }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

private:
    int saved_;
};

// Seconds per phase, one entry per frame.
struct Phases {
    double start = 0;  // settings, textures and tables, once per run
    std::vector<double> load, group, octree, render;
    std::vector<double> render_cpu;  // CPU seconds of the render, all threads
    zy::RayCounts rays;
};

// zyray's start-up and frame loop (program.cpp) with a clock around each step;
// the floor placement and the camera count as loading.
Phases run_frames(int threads) {
    omp_set_num_threads(threads);
    Phases p;
    const zy::RayCounts rays_before = zy::rays_traced();
    zy::start_run();
    auto t = Clock::now();
    zy::prg_init();
    p.start = seconds_since(t);
    for (zy::actframe = static_cast<int16_t>(zy::first_frame); zy::actframe < zy::rt_var.frame_count; ++zy::actframe) {
        zy::begin_frame(zy::actframe);
        double spent[std::size(zy::kFrameSteps)];
        for (const zy::FrameStep step : zy::kFrameSteps) {
            t = Clock::now();
            zy::run_frame_step(step);
            spent[static_cast<int>(step)] = seconds_since(t);
        }
        const auto of = [&](zy::FrameStep step) { return spent[static_cast<int>(step)]; };
        p.load.push_back(of(zy::FrameStep::load) + of(zy::FrameStep::place));
        p.group.push_back(of(zy::FrameStep::group));
        p.octree.push_back(of(zy::FrameStep::octree));
        t = Clock::now();
        const double cpu = cpu_seconds();
        zy::rt_run(zy::frame_scene(), zy::rt_var.out_name);
        p.render.push_back(seconds_since(t));
        p.render_cpu.push_back(cpu_seconds() - cpu);
        zy::end_frame();
    }
    zy::end_run();
    const zy::RayCounts after = zy::rays_traced();
    p.rays = {after.primary - rays_before.primary, after.secondary - rays_before.secondary,
              after.shadow - rays_before.shadow};
    return p;
}

std::string read_file(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Moves this run's pictures into keep/threads-N and compares them with the
// first run's; false when any differs.
bool keep_pictures(const fs::path& keep, int threads, std::map<std::string, std::string>& first) {
    const fs::path folder = keep / ("threads-" + std::to_string(threads));
    fs::create_directories(folder);
    bool same = true;
    for (const auto& entry : fs::directory_iterator(fs::current_path())) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".tif" && entry.path().extension() != ".TIF") continue;
        const std::string bytes = read_file(entry.path());
        const auto [it, fresh] = first.emplace(name, bytes);
        if (!fresh && it->second != bytes) {
            std::fprintf(stderr, "zybench: %s differs with %d threads\n", name.c_str(), threads);
            same = false;
        }
        fs::rename(entry.path(), folder / name);
    }
    return same;
}

std::string json_list(const std::vector<double>& v) {
    std::ostringstream out;
    out.precision(6);
    out << '[';
    for (std::size_t i = 0; i < v.size(); ++i) out << (i ? ", " : "") << v[i];
    out << ']';
    return out.str();
}

std::vector<int> parse_threads(const char* text) {
    std::vector<int> threads;
    std::istringstream in(text);
    for (std::string item; std::getline(in, item, ',');) {
        const int n = std::atoi(item.c_str());
        if (n < 1) return {};
        threads.push_back(n);
    }
    return threads;
}

int usage() {
    std::fprintf(stderr, "usage: zybench [--runs N] [--threads 1,2] [--keep DIR] SCENE_DIR\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 3;
    std::vector<int> threads = {1, omp_get_max_threads()};
    fs::path keep;
    fs::path scene;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::atoi(argv[++i]);
            if (runs < 1) return usage();
        } else if (arg == "--threads" && i + 1 < argc) {
            threads = parse_threads(argv[++i]);
            if (threads.empty()) return usage();
        } else if (arg == "--keep" && i + 1 < argc) {
            keep = fs::absolute(argv[++i]);
        } else if (scene.empty() && arg[0] != '-') {
            scene = arg;
        } else {
            return usage();
        }
    }
    if (scene.empty()) return usage();
    if (keep.empty()) keep = fs::absolute(scene) / "zybench-pictures";
    fs::current_path(scene);

    std::map<std::string, std::string> first_pictures;
    bool identical = true;
    std::ostringstream runs_json;
    for (int r = 0; r < runs; ++r) {
        for (const int n : threads) {
            Phases p;
            {
                const QuietStdout quiet;
                p = run_frames(n);
            }
            identical = keep_pictures(keep, n, first_pictures) && identical;
            runs_json << (runs_json.tellp() > 0 ? ",\n  " : "") << "{\"threads\": " << n << ", \"start\": " << p.start
                      << ", \"load\": " << json_list(p.load) << ", \"group\": " << json_list(p.group)
                      << ", \"octree\": " << json_list(p.octree) << ", \"render\": " << json_list(p.render) << ", \"render_cpu\": " << json_list(p.render_cpu)
                      << ", \"rays\": [" << p.rays.primary << ", " << p.rays.secondary << ", " << p.rays.shadow
                      << "]}";
        }
    }
    rusage usage_now{};
    getrusage(RUSAGE_SELF, &usage_now);
    std::printf("{\"triangles\": %d, \"frames\": %d, \"width\": %d, \"height\": %d, \"peak_rss_kb\": %ld,\n"
                " \"identical\": %s,\n \"runs\": [%s]}\n",
                zy::rt_var.n_tri, zy::rt_var.frame_count, zy::rt_var.res_x, zy::rt_var.res_y, usage_now.ru_maxrss,
                identical ? "true" : "false", runs_json.str().c_str());
    return identical ? 0 : 3;
}
