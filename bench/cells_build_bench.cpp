// Octree build time and memory for frames of 10k, 100k and 1M triangles.
//
// Two kinds of frame: a "surface" (a rippled height field, triangles along a
// sheet as in modelled scenes) and a "soup" (small triangles scattered through
// a cube). For each, the build is timed (best of several runs for the small
// sizes) and its memory reported: the growth of the process's peak resident
// size during the first build, and the bytes of the finished tree.
//
// Usage: zybench_cells [max_triangles]   (default 1000000)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "cells/cells.h"
#include "driver/memoire.h"
#include "driver/program_state.h"
#include "scene/rt_var.h"

namespace {

using zy::V3D;

struct Frame {
    std::vector<V3D> points;
    std::vector<zy::TRIANGLE> tris;
};

// Height field of about n triangles over [0, 100]^2 with ripples of height 5.
Frame surface(int n) {
    const int m = std::max(1, static_cast<int>(std::sqrt(n / 2.0)));
    Frame f;
    f.points.reserve(static_cast<std::size_t>((m + 1) * (m + 1)));
    for (int i = 0; i <= m; ++i) {
        for (int j = 0; j <= m; ++j) {
            const double x = 100.0 * i / m, z = 100.0 * j / m;
            f.points.push_back({x, 5 * std::sin(x / 7) * std::cos(z / 11), z});
        }
    }
    auto at = [m, &f](int i, int j) { return &f.points[static_cast<std::size_t>(i * (m + 1) + j)]; };
    for (int i = 0; i < m; ++i) {
        for (int j = 0; j < m; ++j) {
            zy::TRIANGLE a{}, b{};
            a.v[0] = at(i, j), a.v[1] = at(i + 1, j), a.v[2] = at(i, j + 1);
            b.v[0] = at(i + 1, j), b.v[1] = at(i + 1, j + 1), b.v[2] = at(i, j + 1);
            f.tris.push_back(a);
            f.tris.push_back(b);
        }
    }
    return f;
}

// n triangles with edges about as long as their mean spacing, in [0, 100]^3.
Frame soup(int n) {
    std::mt19937 rng(7);
    const double edge = 100.0 / std::cbrt(static_cast<double>(n));
    std::uniform_real_distribution<double> where(0.0, 100.0), offset(-edge, edge);
    Frame f;
    f.points.reserve(3 * static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) {
        const V3D c{where(rng), where(rng), where(rng)};
        for (int i = 0; i < 3; ++i) f.points.push_back({c.x + offset(rng), c.y + offset(rng), c.z + offset(rng)});
    }
    f.tris.assign(static_cast<std::size_t>(n), zy::TRIANGLE{});
    for (int k = 0; k < n; ++k) {
        for (int i = 0; i < 3; ++i) f.tris[static_cast<std::size_t>(k)].v[i] = &f.points[static_cast<std::size_t>(3 * k + i)];
    }
    return f;
}

void install(Frame& f) {
    zy::rt_var.n_srf = 0;
    zy::rt_var.n_pnt = static_cast<int32_t>(f.points.size());
    zy::rt_var.n_tri = static_cast<int32_t>(f.tris.size());
    zy::rt_var.points = f.points.data();
    zy::rt_var.tris = f.tris.data();
    for (zy::TRIANGLE& t : f.tris) {
        for (zy::V3I& vn : t.vn) vn = {0, 30000, 0};
        zy::rt_tri_init(t);
    }
}

long peak_kib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

struct TreeSize {
    long cells = 0, leaves = 0, references = 0, deepest = 0;
};

void measure(const zy::CELL& c, TreeSize& s) {
    ++s.cells;
    s.deepest = std::max<long>(s.deepest, c.level);
    if (c.leaf) {
        ++s.leaves;
        s.references += c.count;
        return;
    }
    for (const zy::CELL& kid : c.children()) measure(kid, s);
}

// The pass lines of every build would drown the table.
class QuietStdout {
public:
    QuietStdout() : saved_(dup(STDOUT_FILENO)) {
        std::fflush(stdout);
        std::FILE* null = std::fopen("/dev/null", "w");
        dup2(fileno(null), STDOUT_FILENO);
        std::fclose(null);
    }
    ~QuietStdout() {
        std::fflush(stdout);
        dup2(saved_, STDOUT_FILENO);
        close(saved_);
    }

private:
    int saved_;
};

// CPU time of this thread: the machine may be shared, and the build is single-threaded.
double cpu_seconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

double build_seconds() {
    QuietStdout quiet;
    zy::set_block_mark(1);
    const double start = cpu_seconds();
    zy::rt_preprocess(zy::rt_var);
    return cpu_seconds() - start;
}

void release_frame() {
    zy::free_all(1);
    zy::set_block_mark(0);
}

void run(const char* kind, Frame (*make)(int), int n) {
    Frame f = make(n);
    install(f);
    const long before = peak_kib();
    double best = build_seconds();
    const long after = peak_kib();
    TreeSize size;
    measure(zy::scene_cell, size);
    const double tree_mib = (size.cells * sizeof(zy::CELL) + size.references * sizeof(void*)) / 1048576.0;
    release_frame();
    const int repeats = n <= 20000 ? 20 : n <= 200000 ? 5 : 2;
    for (int r = 1; r < repeats; ++r) {
        best = std::min(best, build_seconds());
        release_frame();
    }
    std::printf("%-8s %9zu %12.4f %8ld %10.1f %9.1f %8ld %6ld\n", kind, f.tris.size(), best, size.cells,
                static_cast<double>(size.references) / static_cast<double>(f.tris.size()), tree_mib,
                (after - before) / 1024, size.deepest);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    const long max_n = argc > 1 ? std::atol(argv[1]) : 1000000;
    zy::rt_cell_init_tht(12, 4.0);
    std::printf("%-8s %9s %12s %8s %10s %9s %8s %6s\n", "frame", "triangles", "build cpu s", "cells", "refs/tri",
                "tree MiB", "peak+MiB", "depth");
    std::fflush(stdout);
    const struct {
        const char* name;
        Frame (*make)(int);
    } kinds[] = {{"surface", surface}, {"soup", soup}};
    // Each case in its own process, so that its peak resident size is its own.
    for (const auto& kind : kinds) {
        for (long n = 10000; n <= max_n; n *= 10) {
            const pid_t child = fork();
            if (child == 0) {
                run(kind.name, kind.make, static_cast<int>(n));
                std::fflush(stdout);
                _exit(0);
            }
            int status = 0;
            waitpid(child, &status, 0);
        }
    }
    return 0;
}
