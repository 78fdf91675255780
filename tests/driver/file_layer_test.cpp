#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "driver/emulator.h"
#include "driver/xfile.h"
#include "names/file_names.h"
#include "support/test_support.h"

namespace zy {
namespace {

using test::InProcess;

std::string captured(const std::function<void()>& fn) {
    testing::internal::CaptureStdout();
    fn();
    return testing::internal::GetCapturedStdout();
}

void make_file(const std::string& name, std::size_t size) {
    std::ofstream out(name, std::ios::binary);
    for (std::size_t i = 0; i < size; ++i) out.put(static_cast<char>(i * 7 + 3));
}

TEST(FileLayer, OpenPrintsItsLinesAndTakesTheLowestFreeSlotUpTo100) {
    InProcess run;
    make_file("a.bin", 10);
    EXPECT_EQ(captured([] { EXPECT_EQ(Fopen("C:\\DIR\\a.bin", 0), 0); }), "Fopen() : C:\\DIR\\a.bin\nhandle ouvert :0\n");
    EXPECT_EQ(captured([] { EXPECT_EQ(Fopen("missing.bin", 0), kOpenFailed); }),
              "Fopen() : missing.bin\nfopen n'a pas march\x8e\n");
    EXPECT_EQ(captured([] { EXPECT_EQ(Fopen("a.bin", 3), kBadMode); }), "");
    EXPECT_EQ(Fclose(0), 0);
    EXPECT_EQ(Fclose(0), kBadHandle);
    EXPECT_EQ(Fclose(100), kBadHandle);

    captured([] {
        for (int i = 0; i < kHandleCount; ++i) ASSERT_EQ(Fopen("a.bin", 0), i);
    });
    EXPECT_EQ(captured([] { EXPECT_EQ(Fopen("a.bin", 0), kNoHandle); }), "Fopen() : a.bin\nPlus de handle\n");
    Fclose(42);
    Fclose(7);
    captured([] { EXPECT_EQ(Fopen("a.bin", 0), 7); });
}

// The break file's opening: an existing file is kept up to its first bytes,
// a new one never shows up shorter than its initial bytes, since a process
// killed at that moment would leave a file that stops the next run.
TEST(FileLayer, OpenOrCreateKeepsTheStartOfAFileAndCreatesOneWhole) {
    InProcess run;
    const unsigned char initial[4] = {1, 2, 3, 4};
    const int watch = inotify_init1(IN_NONBLOCK);
    ASSERT_GE(watch, 0);
    inotify_add_watch(watch, ".", IN_CREATE | IN_MOVED_TO);
    std::string printed = captured([&] { EXPECT_EQ(xf_Fopen_or_create("C:\\NEW.BRK", initial, 4), 0); });
    EXPECT_EQ(printed, "Fopen() : C:\\new.brk\nhandle ouvert :0\n");
    Fclose(0);
    EXPECT_EQ(test::read_bytes("new.brk"), std::vector<uint8_t>(initial, initial + 4));
    alignas(inotify_event) char events[1024];
    const ssize_t n = read(watch, events, sizeof events);
    close(watch);
    std::vector<std::string> seen;
    for (char* p = events; n > 0 && p < events + n;) {
        const auto* e = reinterpret_cast<const inotify_event*>(p);
        seen.push_back(std::string((e->mask & IN_MOVED_TO) ? "moved " : "created ") + e->name);
        p += sizeof(inotify_event) + e->len;
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"created new.brk.new", "moved new.brk"}));

    make_file("old.brk", 10);
    captured([&] { EXPECT_EQ(xf_Fopen_or_create("old.brk", initial, 4), 0); });
    Fclose(0);
    EXPECT_EQ(std::filesystem::file_size("old.brk"), 4u);
    // A name the file layer refuses is refused with the creation's lines.
    printed = captured([&] { EXPECT_EQ(xf_Fopen_or_create("..", initial, 4), kOpenFailed); });
    EXPECT_EQ(printed, "Fopen() : ..\nfopen n'a pas march\x8e\n");
}

TEST(FileLayer, ReadWriteSeekAcrossPieces) {
    InProcess run;
    testing::internal::CaptureStdout();
    const int32_t h = Fcreate("big.bin", 0);
    std::vector<unsigned char> data(32001);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(i % 251);
    EXPECT_EQ(Fwrite(h, 32000, data.data()), 32000);
    EXPECT_EQ(Fwrite(h, 32001, data.data()), 32001);
    EXPECT_EQ(Fseek(0, h, 2), 64001);
    EXPECT_EQ(Fseek(32000, h, 0), 32000);
    std::vector<unsigned char> back(40000);
    // The file ends inside the request: the short total comes back.
    EXPECT_EQ(Fread(h, 40000, back.data()), 32001);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), back.begin()));
    EXPECT_EQ(Fread(kHandleCount - 1, 1, back.data()), kBadHandle);
    Fclose(h);
    testing::internal::GetCapturedStdout();
}

TEST(FileLayer, TruncSaturatesInsteadOfOverflowing) {
    const double cases[][2] = {{-2.7, -2}, {2.7, 2}, {1e300, 2147483647.0}, {-1e300, -2147483648.0}, {NAN, 0}};
    for (const auto& c : cases) EXPECT_EQ(zy::trunc(c[0]), c[1]) << c[0];
    EXPECT_EQ(trunc_i32(2147483646.9), 2147483646);
}

TEST(Paths, NormalisationUnifiesSeparatorsLowerCasesAndUpperCasesTheDrive) {
    const std::tuple<char* (*)(char*), std::string, std::string> cases[] = {
        {fix_slash, "a//b\\\\c", "a\\b\\c"},   {fix_slash, "/x/", "\\x\\"},
        {universal_path, "D:/Scene/A.INF", "D:\\scene\\a.inf"}, {universal_path, "c:/Anim//Out/", "C:\\anim\\out\\"},
        {universal_path, "1:ABC", "1:abc"}};
    for (auto [normalise, in, want] : cases) EXPECT_STREQ(normalise(in.data()), want.c_str()) << in;
    EXPECT_EQ(Maj_vers_Min(nullptr), nullptr);
    EXPECT_STREQ(get_nom("C:\\a\\b.tif"), "b.tif");
    EXPECT_STREQ(get_nom("c/d.tif"), "c/d.tif");
}

// Opening through the wrappers is seen in the conformance runs; deleting is not.
TEST(Paths, UnlinkLeavesTheFileInPlace) {
    InProcess run;
    make_file("scene.inf", 5);
    captured([] { EXPECT_EQ(xf_unlink("scene.inf"), 0); });
    EXPECT_TRUE(std::filesystem::exists("scene.inf"));
}

}  // namespace
}  // namespace zy
