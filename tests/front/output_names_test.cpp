// Where -o puts each frame's picture.
#include <gtest/gtest.h>

#include "front/options.h"
#include "front/output_names.h"
#include "support/test_support.h"

namespace zy::front {
namespace {

TEST(OutputNames, PatternsFoldersAndDefaults) {
    test::TempDir dir;
    const std::string folder = dir.path().string();
    const struct {
        std::string option;
        bool animation;
        int frame;
        std::string path;
    } cases[] = {
        {"", false, 1, "spin.png"},
        {"", true, 7, "spin_0007.png"},
        {"out/a_##.png", true, 123, "out/a_123.png"},
        {"o#/b_###x#.TIF", true, 4, "o#/b_004x#.TIF"},
        {"still.tif", false, 1, "still.tif"},
        {folder, true, 2, folder + "/spin_0002.png"},
        {"new/", false, 1, "new/spin.png"},
    };
    for (const auto& c : cases) EXPECT_EQ(OutputNames(c.option, "spin", c.animation).of(c.frame), c.path) << c.option;
}

TEST(OutputNames, RefusesWhatCannotNameThePictures) {
    for (const auto& [option, animation] : {std::pair{"a.jpg", false}, std::pair{"a.png", true}})
        EXPECT_THROW(OutputNames(option, "spin", animation), UsageError) << option;
}

}  // namespace
}  // namespace zy::front
