// zyscene SCENE.json OUTDIR: compiles a scene description into the files zyray reads.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "zyscene/compiler.h"
#include "zyscene/output.h"

namespace {

namespace fs = std::filesystem;
using namespace zy::zyscene;

constexpr int kBadInput = 2;

const char* const kUsage =
    "usage: zyscene [--verbose] SCENE.json OUTDIR\n"
    "       zyscene [--verbose] MODEL OUTDIR\n"
    "\n"
    "Compiles the scene description SCENE.json, and the mesh and image files\n"
    "it names, into the files the renderer reads: zy_shade.xpa, NAME.inf,\n"
    "NAME.sys and the texture files NAME.t00 ... in OUTDIR (created when\n"
    "missing). Run zyray in OUTDIR to render the scene.\n"
    "A MODEL (any other file Assimp reads: glTF, OBJ, FBX, Collada ...) is\n"
    "shown alone with its materials, camera and lights, on a floor.\n"
    "The format is described in docs/scene-format.md.\n"
    "\n"
    "  --verbose  also print each object's bounding box (over all frames)\n"
    "  --help     show this text\n"
    "  --version  show the version\n"
    "\n"
    "Exit status: 0 on success, 2 on bad input (one line on standard error\n"
    "names the file, the place in it and what is wrong; OUTDIR is unchanged).\n"
    "Warnings (no object in view, the eye inside a small object ...) go to\n"
    "standard error and leave the exit status at 0.\n";

std::string plural(std::size_t n, const char* word) { return std::to_string(n) + " " + word + (n == 1 ? "" : "s"); }

void warn_of_break_file(const CompiledScene& scene, const fs::path& outdir) {
    zy::writer::Scene names_only;
    names_only.shade = scene.shade;
    const fs::path brk = outdir / zy::writer::scene_file_name(names_only, ".brk");
    std::error_code ec;
    if (fs::exists(brk, ec))
        std::cerr << "zyscene: warning: " << brk.string()
                  << " exists; zyray will resume the render where it records, delete it to start afresh\n";
}

void print_boxes(const CompiledScene& scene) {
    for (std::size_t i = 0; i < scene.object_names.size(); ++i) {
        const Box& box = scene.extent.objects[i];
        const zy::V3D size = box.size();
        std::printf("zyscene: object %zu \"%s\": %s, %g x %g x %g\n", i, scene.object_names[i].c_str(),
                    box.text().c_str(), size.x, size.y, size.z);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const auto verbose_at = std::find(args.begin(), args.end(), "--verbose");
    const bool verbose = verbose_at != args.end();
    if (verbose) args.erase(verbose_at);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << kUsage;
        return 0;
    }
    if (args.size() == 1 && args[0] == "--version") {
        std::cout << "zyscene " << ZYSCENE_VERSION << "\n";
        return 0;
    }
    if (args.size() != 2 || args[0].starts_with("-") || args[1].starts_with("-")) {
        std::cerr << kUsage;
        return kBadInput;
    }
    const fs::path outdir = args[1];
    try {
        const auto progress = [](const std::string& line) { std::cerr << "zyscene: " << line << std::endl; };
        const CompiledScene scene = compile_scene(args[0], progress);
        for (const std::string& w : scene.warnings) std::cerr << "zyscene: warning: " << w << "\n";
        const auto bytes = write_scene_files(scene, outdir);
        warn_of_break_file(scene, outdir);
        if (verbose) print_boxes(scene);
        const auto& inf = scene.settings.inf;
        std::cout << "zyscene: wrote " << outdir.string() << ": "
                  << plural(static_cast<std::size_t>(inf.n_tri), "triangle") << ", "
                  << plural(static_cast<std::size_t>(inf.n_pnt), "point") << ", "
                  << plural(static_cast<std::size_t>(inf.n_light), "light") << ", ";
        if (inf.n_img > 0) std::cout << plural(static_cast<std::size_t>(inf.n_img), "image") << ", ";
        std::cout << plural(static_cast<std::size_t>(scene.frame_count), "frame") << ", ";
        if (!scene.extent.scene.empty()) std::cout << "scene box " << scene.extent.scene.text() << ", ";
        std::cout << bytes << " bytes\n";
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "zyscene: " << e.what() << "\n";
        return kBadInput;
    }
}
