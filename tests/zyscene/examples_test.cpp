// Every example description compiles and loads into the renderer.
#include <gtest/gtest.h>

#include "zyscene_fixture.h"

namespace zy::zyscene::test {
namespace {

TEST(Examples, EveryDescriptionCompilesAndLoads) {
    int seen = 0;
    for (const auto& entry : fs::recursive_directory_iterator(ZY_EXAMPLES_DIR)) {
        if (entry.path().extension() != ".json") continue;
        ++seen;
        zy::test::InProcess run;
        try {
            EXPECT_EQ(load_back(compile_scene(entry.path())), -1) << entry.path();
        } catch (const CompileError& e) {
            ADD_FAILURE() << e.what();
        }
    }
    EXPECT_GE(seen, 2);
}

}  // namespace
}  // namespace zy::zyscene::test
