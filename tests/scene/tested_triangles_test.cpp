// The per-ray record: results are forgotten at the next ray or when another
// slot takes their place; passed occluders are exact up to the tag list.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "scene/tested_triangles.h"

namespace zy {
namespace {

// A triangle's address by its cache line; the record only compares addresses.
const void* line(uintptr_t n) { return reinterpret_cast<const void*>(n << 6); }

TEST(TestedTriangles, ResultsLastOneRayAndMayBeDisplaced) {
    auto tested = std::make_unique<TestedTriangles>();
    tested->next_ray();
    tested->record(line(7), 2.5);
    ASSERT_NE(tested->result(line(7)), nullptr);
    EXPECT_EQ(tested->result(line(7))->t, 2.5);
    EXPECT_EQ(tested->result(line(8)), nullptr);
    // Line 7 + 4096 shares line 7's entry.
    tested->record(line(7 + 4096), 1.0);
    EXPECT_EQ(tested->result(line(7)), nullptr);
    tested->next_ray();
    EXPECT_EQ(tested->result(line(7 + 4096)), nullptr);
}

TEST(TestedTriangles, PassedOccludersAreExactUpToTheTagList) {
    auto tested = std::make_unique<TestedTriangles>();
    tested->next_ray();
    // Lines 2048 apart would collide in a direct table; every one is kept.
    for (uintptr_t k = 0; k < kTagListSize + 5; ++k) tested->pass(line(k * 2048));
    int kept = 0;
    for (uintptr_t k = 0; k < kTagListSize + 5; ++k) kept += tested->passed(line(k * 2048)) ? 1 : 0;
    EXPECT_EQ(kept, kTagListSize);
    EXPECT_FALSE(tested->passed(line(kTagListSize * 2048)));
    tested->next_ray();
    EXPECT_FALSE(tested->passed(line(0)));
}

}  // namespace
}  // namespace zy
