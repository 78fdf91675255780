#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>

#include "driver/memoire.h"
#include "driver/program_state.h"
#include "driver/stop.h"
#include "support/test_support.h"

namespace zy {
namespace {

using test::InProcess;

TEST(Memory, FrameReleaseKeepsStartUpBlocksIgnoresForeignAddressesAndFailsOneInjectedAllocation) {
    InProcess run;
    set_block_mark(0);
    void* kept = my_malloc(16);
    set_block_mark(1);
    void* frame_a = my_malloc(16);
    void* frame_b = my_malloc(0);
    set_block_mark(0);
    ASSERT_TRUE(kept && frame_a && frame_b);
    int local = 0;
    my_free(&local);
    my_free(nullptr);
    EXPECT_EQ(tracked_block_count(), 3u);
    my_free(frame_a);
    EXPECT_EQ(tracked_block_count(), 2u);
    free_all(1);
    EXPECT_EQ(tracked_block_count(), 1u);
    std::memset(kept, 0xAB, 16);  // still ours
    free_all(0);
    EXPECT_EQ(tracked_block_count(), 0u);

    // An injected failure hits exactly one allocation.
    memoire_fail_after(2);
    for (bool fails : {false, false, true, false}) EXPECT_EQ(my_malloc(4) == nullptr, fails);
}

// The flags the system keeps for the mapping that holds address.
std::string mapping_flags(const void* address) {
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    std::ifstream smaps("/proc/self/smaps");
    bool inside = false;
    for (std::string line; std::getline(smaps, line);) {
        std::uintptr_t lo = 0, hi = 0;
        char dash = 0;
        std::istringstream range(line);
        if (range >> std::hex >> lo >> dash >> hi && dash == '-') {
            inside = lo <= at && at < hi;
        } else if (inside && line.rfind("VmFlags:", 0) == 0) {
            return line;
        }
    }
    return "";
}

TEST(Memory, BlocksThatCanHoldALargePageAskForThem) {
    if (!std::filesystem::exists("/sys/kernel/mm/transparent_hugepage/enabled"))
        GTEST_SKIP() << "no large pages on this system";
    InProcess run;
    set_block_mark(0);
    constexpr std::size_t kSize = std::size_t{8} << 20;
    auto* block = static_cast<char*>(my_malloc(kSize));
    ASSERT_NE(block, nullptr);
    EXPECT_NE(mapping_flags(block + kSize / 2).find(" hg"), std::string::npos) << mapping_flags(block + kSize / 2);
    free_all(0);
}

TEST(Names, ExtensionReplacesFromTheLastDotUnlessItIsTheFirstCharacter) {
    const std::pair<const char*, const char*> cases[] = {{"scene", "scene.INF"}, {"scene.ab.cd", "scene.ab.INF"},
        {".hidden", ".hidden.INF"}, {"c:\\dir.x\\scene", "c:\\dir.INF"}, {"a.toolongext", "a.INF"}};
    for (auto [name, want] : cases) {
        char buffer[40];
        std::strcpy(buffer, name);
        extension(buffer, ".INF");
        EXPECT_STREQ(buffer, want) << name;
    }
}

TEST(Stop, AlertLineCleanUpAndEndLine) {
    InProcess run;
    set_block_mark(0);
    ASSERT_NE(my_malloc(32), nullptr);
    const std::tuple<int, int, std::string> cases[] = {
        {3, 2814, "[1][File open error!|ligne 2814|ZYR_MAIN][Ok]\n"},
        {0, 1, ""},
        {11, 5, "[1][Erreur chargement LDG|ligne 5|ZYR_MAIN][Ok]\n"}};
    for (const auto& [error, line, alert] : cases) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(test::stop_error_of([&] { prg_term2(error, line, "ZYR_MAIN"); }), error);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), alert + "It's the END !!!!!! \n");
        EXPECT_EQ(tracked_block_count(), 0u);
    }
}

}  // namespace
}  // namespace zy
