// Passed occluders are exact up to the tag list and last one ray.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "scene/passed_occluders.h"

namespace zy {
namespace {

// A triangle's address by its cache line; the set only compares addresses.
const void* line(uintptr_t n) { return reinterpret_cast<const void*>(n << 6); }

TEST(PassedOccluders, ExactUpToTheTagListForOneRay) {
    auto passed = std::make_unique<PassedOccluders>();
    passed->next_ray();
    // Lines 2048 apart would collide in a direct table; every one is kept.
    for (uintptr_t k = 0; k < kTagListSize + 5; ++k) passed->add(line(k * 2048));
    int kept = 0;
    for (uintptr_t k = 0; k < kTagListSize + 5; ++k) kept += passed->contains(line(k * 2048)) ? 1 : 0;
    EXPECT_EQ(kept, kTagListSize);
    EXPECT_FALSE(passed->contains(line(kTagListSize * 2048)));
    passed->next_ray();
    EXPECT_FALSE(passed->contains(line(0)));
}

}  // namespace
}  // namespace zy
