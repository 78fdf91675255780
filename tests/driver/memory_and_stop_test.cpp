#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "driver/memoire.h"
#include "driver/program_state.h"
#include "driver/stop.h"
#include "support/test_support.h"

namespace zy {
namespace {

using test::InProcess;

TEST(Memory, FrameReleaseKeepsStartUpBlocksAndIgnoresForeignAddresses) {
    InProcess run;
    flag_temporaire = 0;
    void* kept = my_malloc(16);
    flag_temporaire = 1;
    void* frame_a = my_malloc(16);
    void* frame_b = my_malloc(0);
    flag_temporaire = 0;
    ASSERT_TRUE(kept && frame_a && frame_b);
    EXPECT_EQ(tracked_block_count(), 3u);
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
}

TEST(Memory, AMillionFrameBlocksAreReleasedInOnePass) {
    InProcess run;
    flag_temporaire = 1;
    std::vector<void*> blocks;
    for (int i = 0; i < 1000000; ++i) blocks.push_back(my_malloc(8));
    flag_temporaire = 0;
    for (int i = 0; i < 1000000; i += 2) my_free(blocks[static_cast<std::size_t>(i)]);
    EXPECT_EQ(tracked_block_count(), 500000u);
    free_all(1);
    EXPECT_EQ(tracked_block_count(), 0u);
}

TEST(Memory, InjectedFailureHitsExactlyOneAllocation) {
    InProcess run;
    memoire_fail_after(2);
    EXPECT_NE(my_malloc(4), nullptr);
    EXPECT_NE(my_malloc(4), nullptr);
    EXPECT_EQ(my_malloc(4), nullptr);
    EXPECT_NE(my_malloc(4), nullptr);
}

TEST(Names, ExtensionReplacesFromTheLastDotUnlessItIsTheFirstCharacter) {
    char a[40] = "scene";
    extension(a, ".INF");
    EXPECT_STREQ(a, "scene.INF");
    char b[40] = "scene.ab.cd";
    extension(b, ".INF");
    EXPECT_STREQ(b, "scene.ab.INF");
    char c[40] = ".hidden";
    extension(c, ".INF");
    EXPECT_STREQ(c, ".hidden.INF");
    char d[40] = "c:\\dir.x\\scene";
    extension(d, ".BRK");
    EXPECT_STREQ(d, "c:\\dir.BRK");
    char e[40] = "a.toolongext";
    extension(e, ".TIF");
    EXPECT_STREQ(e, "a.TIF");
}

TEST(Stop, AlertLineCleanUpAndEndLine) {
    InProcess run;
    flag_temporaire = 0;
    ASSERT_NE(my_malloc(32), nullptr);
    testing::internal::CaptureStdout();
    EXPECT_EQ(test::stop_error_of([] { prg_term2(3, 2814, "ZYR_MAIN"); }), 3);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "[1][File open error!|ligne 2814|ZYR_MAIN][Ok]\nIt's the END !!!!!! \n");
    EXPECT_EQ(tracked_block_count(), 0u);

    testing::internal::CaptureStdout();
    EXPECT_EQ(test::stop_error_of([] { prg_term2(0, 1, "ZYR_MAIN"); }), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "It's the END !!!!!! \n");

    testing::internal::CaptureStdout();
    test::stop_error_of([] { prg_term2(11, 5, "ZYR_MAIN"); });
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "[1][Erreur chargement LDG|ligne 5|ZYR_MAIN][Ok]\nIt's the END !!!!!! \n");
}

}  // namespace
}  // namespace zy
