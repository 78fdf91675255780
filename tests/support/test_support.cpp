#include "support/test_support.h"

#include <stb/stb_image.h>
#include <tiffio.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <regex>
#include <stdexcept>
#include <sys/wait.h>

#include "driver/lifecycle.h"
#include "driver/program_state.h"
#include "driver/stop.h"
#include "writer/scene_reader.h"

namespace zy::test {

TempDir::TempDir() {
    std::random_device rd;
    for (;;) {
        path_ = fs::temp_directory_path() / ("zytest-" + std::to_string(rd()));
        if (fs::create_directory(path_)) break;
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

CommandRun run_command(const std::string& command) {
    // Standard error goes through a file of its own, so that the two are never interleaved.
    const TempDir dir;
    CommandRun run;
    FILE* pipe = popen(("{ " + command + "\n} </dev/null 2>'" + (dir / "err").string() + "'").c_str(), "r");
    if (pipe == nullptr) throw std::runtime_error("cannot start " + command);
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const auto err = read_bytes(dir / "err");
    run.err.assign(err.begin(), err.end());
    return run;
}

RunResult run_zyray(const fs::path& folder, const std::string& environment) {
    const CommandRun run =
        run_command("cd '" + folder.string() + "' && " + environment + " exec '" + ZY_ZYRAY_PATH + "'");
    return {run.status, run.out};
}

std::string mask_line_numbers(const std::string& text) {
    static const std::regex line("ligne [0-9]+\\|");
    return std::regex_replace(text, line, "ligne N|");
}

std::vector<uint8_t> read_bytes(const fs::path& path) { return writer::read_file(path); }

Picture read_tiff(const fs::path& path) {
    TIFFSetWarningHandler(nullptr);
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (tif == nullptr) throw std::runtime_error("libtiff cannot open " + path.string());
    Picture p;
    uint16_t samples = 0, bits = 0, compression = 0, photometric = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &p.width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &p.height);
    TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetField(tif, TIFFTAG_COMPRESSION, &compression);
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
    if (samples != 3 || bits != 8 || compression != COMPRESSION_NONE || photometric != PHOTOMETRIC_RGB) {
        TIFFClose(tif);
        throw std::runtime_error("not an uncompressed 24-bit RGB TIFF: " + path.string());
    }
    p.rgb.resize(std::size_t{p.width} * p.height * 3);
    for (uint32_t row = 0; row < p.height; ++row) {
        if (TIFFReadScanline(tif, &p.rgb[std::size_t{row} * p.width * 3], row) < 0) {
            TIFFClose(tif);
            throw std::runtime_error("libtiff cannot read row " + std::to_string(row));
        }
    }
    TIFFClose(tif);
    return p;
}

namespace {

[[noreturn]] void throw_stop(int error) { throw Stopped{error}; }

}  // namespace

InProcess::InProcess() : previous_(fs::current_path()) {
    fs::current_path(dir_.path());
    set_final_step(throw_stop);
    start_run();
}

InProcess::~InProcess() {
    end_run();
    reset_program_state();
    set_final_step(nullptr);
    fs::current_path(previous_);
}

Picture read_png(const fs::path& path) {
    int w = 0, h = 0, channels = 0;
    unsigned char* pixels = stbi_load(path.c_str(), &w, &h, &channels, 3);
    if (pixels == nullptr) throw std::runtime_error(path.string() + ": not a PNG");
    Picture p{static_cast<uint32_t>(w), static_cast<uint32_t>(h), {pixels, pixels + w * h * 3}};
    stbi_image_free(pixels);
    return p;
}

}  // namespace zy::test
