// An autosaved animation killed with SIGKILL at any moment and run again must
// end with the pictures and break file of an uninterrupted render.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/test_support.h"
#include "writer/generated_scenes.h"

namespace zy {
namespace {

namespace fs = std::filesystem;

constexpr int16_t kHeight = 64, kFrames = 3;

// The break file's position as one number, or -1 while it does not exist or is incomplete.
long break_position(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    uint8_t b[4];
    if (!in.read(reinterpret_cast<char*>(b), 4)) return -1;
    return long{read_be16(b)} * 100000 + read_be16(b + 2);
}

// Starts zyray in folder and kills it once the break file reaches (frame, line),
// or once delay has passed; returns false when the run ended first.
bool kill_when(const fs::path& folder, int16_t frame, int16_t line, std::chrono::microseconds delay) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(folder.c_str()) != 0) _exit(127);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        execl(ZY_ZYRAY_PATH, "zyray", static_cast<char*>(nullptr));
        _exit(127);
    }
    const long target = long{frame} * 100000 + line;
    const auto deadline = std::chrono::steady_clock::now() + delay;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        const bool due = delay.count() > 0 ? std::chrono::steady_clock::now() >= deadline
                                           : break_position(folder / "ball.brk") >= target;
        if (due) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return WIFSIGNALED(status);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    return false;
}

// The pictures, then the break file.
std::vector<std::vector<uint8_t>> result_in(const fs::path& folder) {
    std::vector<std::vector<uint8_t>> files;
    for (const char* name : {"zy_00001.tif", "zy_00002.tif", "zy_00003.tif", "ball.brk"})
        files.push_back(test::read_bytes(folder / name));
    return files;
}

TEST(KillResume, EveryInterruptedRenderEndsWithTheUninterruptedBytes) {
    writer::Scene scene = writer::mesh_on_floor_scene(16, 24, 96, kHeight, kFrames);
    scene.settings.inf.options = 1;  // autosave
    test::TempDir whole;
    writer::write_scene(whole.path(), scene);
    test::run_zyray(whole.path());
    const auto reference = result_in(whole.path());
    ASSERT_EQ(reference.back(), writer::break_file_bytes(kFrames, 0));

    const struct {
        int16_t frame, line;
        long delay_us;
        const char* what;
    } moments[] = {
        {0, 10, 0, "inside the first frame"},
        {1, kHeight - 2, 0, "during the last band of a frame"},
        {2, 0, 0, "between frames"},
        {2, kHeight - 2, 0, "during the last band of the animation"},
        {0, 0, 30000, "30 ms after the start"},
        {0, 0, 90000, "90 ms after the start"},
    };
    int killed = 0;
    for (const auto& m : moments) {
        test::TempDir dir;
        writer::write_scene(dir.path(), scene);
        killed += kill_when(dir.path(), m.frame, m.line, std::chrono::microseconds(m.delay_us)) ? 1 : 0;
        test::run_zyray(dir.path());
        EXPECT_EQ(result_in(dir.path()), reference) << m.what;
    }
    // The break-file moments always come before the end of the run.
    EXPECT_GE(killed, 4);
}

}  // namespace
}  // namespace zy
