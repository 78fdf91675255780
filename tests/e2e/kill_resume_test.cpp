// An autosaved animation killed with SIGKILL at a chosen moment and run again
// must end with the pictures and break file of an uninterrupted render, and the
// killed run's redirected log must hold every line it printed up to then. The
// stop shim halts each run exactly at its moment, so no verdict depends on
// the machine's speed.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/test_support.h"
#include "writer/generated_scenes.h"
#include "writer/scene_reader.h"

namespace zy {
namespace {

namespace fs = std::filesystem;

constexpr int16_t kHeight = 64, kFrames = 3;

struct Moment {
    int16_t frame, line;    ///< what the break file holds
    bool after_picture;     ///< stop at the next picture write instead
    const char* what;
};

// The break file's numbers, or -1 while it does not exist or is incomplete.
long break_position(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const writer::Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const auto point = writer::read_break_file(bytes);
    return point ? long{point->frame} * 100000 + point->line : -1;
}

// Runs zyray in folder, its output in log, until the shim stops it at the
// moment; kills it there. Returns whether it stopped with the break file
// holding that moment.
bool kill_at(const fs::path& folder, const Moment& m, const fs::path& log) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(folder.c_str()) != 0) _exit(127);
        const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, STDOUT_FILENO);
        const char* asan = std::getenv("ASAN_OPTIONS");
        setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":verify_asan_link_order=0").c_str(), 1);
        setenv("LD_PRELOAD", ZY_STOP_AT_PATH, 1);
        setenv("ZY_STOP_AT_BREAK", (std::to_string(m.frame) + " " + std::to_string(m.line)).c_str(), 1);
        if (m.after_picture) setenv("ZY_STOP_AFTER_PICTURE", "1", 1);
        execl(ZY_ZYRAY_PATH, "zyray", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, WUNTRACED);
    if (!WIFSTOPPED(status)) return false;
    const bool there = break_position(folder / "ball.brk") == long{m.frame} * 100000 + m.line;
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return there;
}

// The pictures, then the break file.
std::vector<std::vector<uint8_t>> result_in(const fs::path& folder) {
    std::vector<std::vector<uint8_t>> files;
    for (const char* name : {"zy_00001.tif", "zy_00002.tif", "zy_00003.tif", "ball.brk"})
        files.push_back(test::read_bytes(folder / name));
    return files;
}

// Where the full log stands once the band before the moment is printed: the
// end of its "ligne" line (the last band of the frame before, at line 0).
std::size_t end_of_band_line(const std::string& log, const Moment& m) {
    const int frame = m.line > 0 ? m.frame : m.frame - 1;
    const std::string band = "  ligne : " + std::to_string(m.line > 0 ? m.line - 1 : kHeight - 1) + "\n";
    std::size_t at = 0;
    for (int k = 0; k <= frame; ++k) at = log.find(band, k == 0 ? 0 : at + 1);
    return at == std::string::npos ? at : at + band.size();
}

TEST(KillResume, EveryInterruptedRenderEndsWithTheUninterruptedBytesAndItsLog) {
    writer::Scene scene = writer::mesh_on_floor_scene(16, 24, 96, kHeight, kFrames);
    scene.settings.inf.options = 1;  // autosave
    test::TempDir whole;
    writer::write_scene(whole.path(), scene);
    const std::string full_log = test::run_zyray(whole.path()).output;
    const auto reference = result_in(whole.path());
    ASSERT_EQ(reference.back(), writer::break_file_bytes(kFrames, 0));

    const Moment moments[] = {
        {0, 10, false, "inside the first frame"},
        {0, 10, true, "rows written that the break file does not count yet"},
        {1, kHeight - 2, false, "before the last band of a frame"},
        {2, 0, false, "between frames"},
        {2, 0, true, "with the next frame's picture just created"},
        {2, kHeight - 2, false, "before the last band of the animation"},
        {kFrames, 0, false, "after the last band, before the end line"},
    };
    for (const Moment& m : moments) {
        SCOPED_TRACE(m.what);
        test::TempDir dir;
        writer::write_scene(dir.path(), scene);
        const fs::path log = dir / "log.txt";
        ASSERT_TRUE(kill_at(dir.path(), m, log));
        const auto bytes = test::read_bytes(log);
        const std::string killed_log(bytes.begin(), bytes.end());
        fs::remove(log);
        EXPECT_TRUE(full_log.starts_with(killed_log));
        EXPECT_GE(killed_log.size(), end_of_band_line(full_log, m));
        test::run_zyray(dir.path());
        EXPECT_EQ(result_in(dir.path()), reference);
    }
}

}  // namespace
}  // namespace zy
