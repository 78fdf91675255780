// The flat address set against std::set under random inserts and removals:
// long probe runs, runs that wrap around the table's end, growth.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <set>

#include "driver/address_set.h"

namespace zy {
namespace {

TEST(AddressSet, AgreesWithAnOrderedSetThroughInsertsRemovalsAndGrowth) {
    std::mt19937 rng(5);
    // Few distinct addresses for many operations: members come and go, and
    // neighbouring homes make long runs.
    std::uniform_int_distribution<uintptr_t> pick(1, 3000);
    AddressSet set;
    std::set<uintptr_t> model;
    const auto address = [](uintptr_t n) { return reinterpret_cast<const void*>(n << 4); };
    for (int op = 0; op < 200000; ++op) {
        const uintptr_t n = pick(rng);
        if (op % 3 != 0 && model.count(n) == 0) {
            ASSERT_TRUE(set.insert(address(n)));
            model.insert(n);
        } else {
            set.erase(address(n));
            model.erase(n);
        }
        if (op % 997 == 0) {
            for (uintptr_t m = 1; m <= 3000; ++m) ASSERT_EQ(set.contains(address(m)), model.count(m) == 1) << m;
        }
    }
    EXPECT_EQ(set.size(), model.size());
    for (uintptr_t m : model) set.erase(address(m));
    EXPECT_EQ(set.size(), 0u);
    EXPECT_FALSE(set.contains(address(1)));
}

}  // namespace
}  // namespace zy
