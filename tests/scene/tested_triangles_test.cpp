// The per-ray record: results are forgotten at the next ray or when another
// slot takes their place; passed occluders are exact up to the tag list.
#include <gtest/gtest.h>

#include <memory>

#include "scene/tested_triangles.h"

namespace zy {
namespace {

TEST(TestedTriangles, ResultsLastOneRayAndMayBeDisplaced) {
    auto tested = std::make_unique<TestedTriangles>();
    tested->next_ray();
    tested->record(7, 2.5);
    ASSERT_NE(tested->result(7), nullptr);
    EXPECT_EQ(tested->result(7)->t, 2.5);
    EXPECT_EQ(tested->result(8), nullptr);
    // 7 + 4096 shares 7's entry.
    tested->record(7 + 4096, 1.0);
    EXPECT_EQ(tested->result(7), nullptr);
    tested->next_ray();
    EXPECT_EQ(tested->result(7 + 4096), nullptr);
}

TEST(TestedTriangles, PassedOccludersAreExactUpToTheTagList) {
    auto tested = std::make_unique<TestedTriangles>();
    tested->next_ray();
    // Slots 4096 apart would collide in a direct table; every one is kept.
    for (int32_t k = 0; k < kTagListSize + 5; ++k) tested->pass(k * 4096);
    EXPECT_EQ(tested->passed_count(), kTagListSize);
    int kept = 0;
    for (int32_t k = 0; k < kTagListSize + 5; ++k) kept += tested->passed(k * 4096) ? 1 : 0;
    EXPECT_EQ(kept, kTagListSize);
    EXPECT_FALSE(tested->passed(kTagListSize * 4096));
    tested->next_ray();
    EXPECT_FALSE(tested->passed(0));
    EXPECT_EQ(tested->passed_count(), 0);
}

}  // namespace
}  // namespace zy
