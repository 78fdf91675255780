// Faults that come from outside the scene: a disk that fills up, a picture
// that cannot be created, memory that runs out or could never suffice. Each
// stops with its error number, exactly one alert line, the end line and exit
// status 1, never by a signal, and leaves what earlier frames wrote intact.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <string>
#include <vector>

#include "driver/memoire.h"
#include "driver/program.h"
#include "driver/stop.h"
#include "geometry/triangle.h"
#include "render/test_scenes.h"
#include "scene/settings_loader.h"
#include "support/test_support.h"

#if defined(__SANITIZE_ADDRESS__)
#define ZY_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZY_UNDER_ASAN 1
#endif
#endif

namespace zy {
namespace {

namespace fs = std::filesystem;

// Runs the real zyray under a lowered soft limit of one resource, raised again
// afterwards. The sanitizers are told to let an allocation fail instead of
// aborting, as the real allocator does.
test::RunResult run_zyray_limited(const fs::path& folder, int resource, rlim_t limit) {
    rlimit saved{};
    getrlimit(resource, &saved);
    const rlimit lowered{limit, saved.rlim_max};
    setrlimit(resource, &lowered);
    const test::RunResult run = test::run_zyray(folder, "ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=0");
    setrlimit(resource, &saved);
    return run;
}

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// Status 1, not a signal (-1), and one alert for error right before the end line.
void expect_stop(const test::RunResult& run, int error) {
    EXPECT_EQ(run.status, 1);
    const std::string alert = std::string("[1][") + _err_str[error - 1] + "|ligne N|ZYR_MAIN][Ok]\n";
    const std::string masked = test::mask_line_numbers(run.output);
    EXPECT_EQ(count(masked, "[1]["), 1u) << run.output;
    EXPECT_TRUE(masked.ends_with(alert + "It's the END !!!!!! \n")) << run.output;
}

// An 8 x rows picture per frame with autosave, the camera moving between frames.
test::SceneBuilder animation(int16_t frames, int16_t rows = 8) {
    test::SceneBuilder b;
    b.settings().res_x = 8;
    b.settings().res_y = rows;
    b.settings().frame_count = frames;
    b.settings().options = 1;
    b.triangle({-5, -5, 0}, {5, -5, 0}, {0, 5, 0}, b.surface(test::surface_of(test::material(200, 90, 20, 100))));
    for (int16_t f = 1; f < frames; ++f) {
        b.scene().frames.push_back(b.frame());
        b.scene().frames.back().cam.eye = {static_cast<float>(f), 0, -10};
    }
    return b;
}

// One frame whose settings load allocates every kind of array.
test::SceneBuilder scene_with_every_array() {
    test::SceneBuilder b = animation(1);
    b.light({0, 5, -5}, 255, 255, 255, 0.5f);
    b.frame().tris[0].mat_index = b.identity_matrices();
    return b;
}

constexpr std::size_t kHeader = 196, kRowPair = 2 * 8 * 3;

TEST(FaultInjection, DiskFullWhileAPictureIsWrittenIsAWriteErrorThatKeepsWhatWasWritten) {
    test::TempDir dir;
    test::SceneBuilder b = animation(3);
    b.write(dir.path());
    test::run_zyray(dir.path());
    const auto first = test::read_bytes(dir / "zy_00001.tif");
    const auto second = test::read_bytes(dir / "zy_00002.tif");
    const auto third = test::read_bytes(dir / "zy_00003.tif");
    ASSERT_EQ(third.size(), kHeader + 4 * kRowPair);

    // Frame 3 again, with room for its header, three row pairs and a bit.
    writer::write_file(dir / "test.brk", writer::break_file_bytes(2, 0));
    fs::remove(dir / "zy_00003.tif");
    const test::RunResult full = run_zyray_limited(dir.path(), RLIMIT_FSIZE, kHeader + 3 * kRowPair + 20);
    expect_stop(full, kErrWrite);
    EXPECT_EQ(test::read_bytes(dir / "zy_00001.tif"), first);
    EXPECT_EQ(test::read_bytes(dir / "zy_00002.tif"), second);
    // The break file names the last row pair that reached the disk ...
    EXPECT_EQ(test::read_bytes(dir / "test.brk"), writer::break_file_bytes(2, 6));

    // ... so that a run with room again completes the same picture.
    test::run_zyray(dir.path());
    EXPECT_EQ(test::read_bytes(dir / "zy_00003.tif"), third);
    EXPECT_EQ(test::read_bytes(dir / "test.brk"), writer::break_file_bytes(3, 0));
}

// With 600 rows the bands come in several groups, and a group is written while
// the next is traced: the fault found there still stops at once, after the
// rows that fit, with nothing written after them.
TEST(FaultInjection, DiskFullInAnEarlyGroupOfBandsStopsAfterTheRowsThatFit) {
    test::TempDir dir;
    animation(1, 600).write(dir.path());
    test::run_zyray(dir.path());
    const auto whole = test::read_bytes(dir / "test.tif");
    ASSERT_EQ(whole.size(), kHeader + 300 * kRowPair);
    fs::remove(dir / "test.tif");
    fs::remove(dir / "test.brk");

    const test::RunResult full = run_zyray_limited(dir.path(), RLIMIT_FSIZE, kHeader + 50 * kRowPair + 20);
    expect_stop(full, kErrWrite);
    EXPECT_EQ(test::read_bytes(dir / "test.brk"), writer::break_file_bytes(0, 100));
    EXPECT_EQ(count(full.output, "  ligne : "), 51u) << "progress stops at the band that did not fit";
    const auto cut = test::read_bytes(dir / "test.tif");
    ASSERT_EQ(cut.size(), kHeader + 50 * kRowPair + 20);
    EXPECT_TRUE(std::equal(cut.begin(), cut.end(), whole.begin()));
}

TEST(FaultInjection, PictureThatCannotBeCreatedIsACreateError) {
    test::TempDir dir;
    test::SceneBuilder b = animation(2);
    b.write(dir.path());
    fs::create_directory(dir / "zy_00002.tif");
    expect_stop(test::run_zyray(dir.path()), kErrCreate);
    const auto first = test::read_bytes(dir / "zy_00001.tif");
    EXPECT_EQ(first.size(), kHeader + 4 * kRowPair);
    EXPECT_EQ(test::read_bytes(dir / "test.brk"), writer::break_file_bytes(1, 0));

    // Once the name is free the run continues with the second frame only.
    fs::remove(dir / "zy_00002.tif");
    test::run_zyray(dir.path());
    EXPECT_EQ(test::read_bytes(dir / "zy_00001.tif"), first);
    EXPECT_EQ(fs::file_size(dir / "zy_00002.tif"), kHeader + 4 * kRowPair);
}

TEST(FaultInjection, EveryAllocationFailureOfTheSettingsLoadIsAMemoryError) {
    std::size_t allocations = 0;
    {
        test::InProcess run;
        scene_with_every_array().write(run.folder());
        const std::size_t before = my_malloc_calls();
        ASSERT_EQ(test::stop_error_of(rt_load_info), -1);
        allocations = my_malloc_calls() - before;
    }
    // Three matrix arrays, surfaces, lights and their references, objects,
    // points, triangles.
    ASSERT_EQ(allocations, 9u);
    for (std::size_t k = 0; k < allocations; ++k) {
        SCOPED_TRACE(k);
        test::InProcess run;
        scene_with_every_array().write(run.folder());
        memoire_fail_after(static_cast<long>(k));
        EXPECT_EQ(test::stop_error_of(zyray_main), kErrMemory);
        EXPECT_EQ(tracked_block_count(), 0u);
        memoire_fail_after(-1);
    }
}

// The files of b, whose counts are changed by change after they were set.
template <typename Change>
void write_settings(const fs::path& folder, test::SceneBuilder b, Change change) {
    change(b.synced().settings.inf);
    writer::write_scene(folder, b.scene());
}

#ifndef ZY_UNDER_ASAN
// The sanitizer reserves terabytes of address space and cannot run under a limit.
TEST(FaultInjection, AddressSpaceLimitDuringTheSettingsLoadIsAMemoryError) {
    test::TempDir dir;
    write_settings(dir.path(), scene_with_every_array(), [](RT_INF& inf) { inf.n_pnt = 40000000; });  // 960 MB
    expect_stop(run_zyray_limited(dir.path(), RLIMIT_AS, rlim_t{512} << 20), kErrMemory);
}
#endif

TEST(FaultInjection, CountsBeyondPhysicalMemoryStopBeforeAnyAllocation) {
    test::TempDir dir;
    write_settings(dir.path(), scene_with_every_array(), [](RT_INF& inf) { inf.n_pnt = inf.n_tri = INT32_MAX; });
    // No limit: only the sanitizers' permission to fail an allocation.
    expect_stop(run_zyray_limited(dir.path(), RLIMIT_CORE, 0), kErrMemory);

    // One triangle beyond the machine is refused before the first array; one
    // within it goes on to allocate (where an injected failure stops it).
    test::SceneBuilder b = scene_with_every_array();
    b.synced().settings.inf.n_tri = 0;
    const uint64_t others = announced_array_bytes(b.settings());
    const uint64_t fitting = (physical_memory_bytes() - others) / sizeof(TRIANGLE);
    if (fitting >= INT32_MAX) GTEST_SKIP() << "more memory than the counts can announce";
    for (const auto& [n_tri, allocates] : {std::pair{fitting + 1, false}, {fitting, true}}) {
        SCOPED_TRACE(n_tri);
        test::InProcess run;
        write_settings(run.folder(), b, [n = n_tri](RT_INF& inf) { inf.n_tri = static_cast<int32_t>(n); });
        memoire_fail_after(0);
        const std::size_t before = my_malloc_calls();
        EXPECT_EQ(test::stop_error_of(rt_load_info), kErrMemory);
        EXPECT_EQ(my_malloc_calls() > before, allocates);
        memoire_fail_after(-1);
    }
}

}  // namespace
}  // namespace zy
