// zyfuzz_seeds OUTDIR [SCENE_FOLDER...]: writes the seed corpus of every fuzz
// target into OUTDIR/<target>/, from the scene writer and from folders that
// zyscene wrote.
#include <cstdio>
#include <exception>
#include <fstream>

#include "harness/targets.h"
#include "seeds/seeds.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: zyfuzz_seeds OUTDIR [SCENE_FOLDER...]\n");
        return 2;
    }
    try {
        for (const auto& target : zy::fuzz::kTargets) {
            const fs::path dir = fs::path(argv[1]) / target.name;
            fs::create_directories(dir);
            zy::fuzz::Seeds seeds = zy::fuzz::writer_seeds(target.name);
            for (int i = 2; i < argc; ++i) {
                const zy::fuzz::Seeds more = zy::fuzz::example_seeds(target.name, argv[i]);
                seeds.insert(seeds.end(), more.begin(), more.end());
            }
            for (const auto& [name, bytes] : seeds) {
                std::ofstream out(dir / name, std::ios::binary);
                out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
                if (!out) throw std::runtime_error("cannot write " + (dir / name).string());
            }
            std::printf("%s: %zu seeds\n", std::string(target.name).c_str(), seeds.size());
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zyfuzz_seeds: %s\n", e.what());
        return 1;
    }
    return 0;
}
