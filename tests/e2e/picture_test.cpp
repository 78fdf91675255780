// A whole-program render read back through libtiff, pixels whose bytes follow
// from the scene by hand.
#include <gtest/gtest.h>

#include "render/test_scenes.h"
#include "support/test_support.h"

namespace zy {
namespace {

// Odd in both directions and wider than the old 4096-pixel buffers.
TEST(Picture, OddSizeHoldsExactlyItsPixels) {
    test::TempDir dir;
    test::SceneBuilder b;
    b.settings().res_x = 4097;
    b.settings().res_y = 3;
    b.settings().sky_color1[1] = 255;
    b.write(dir.path());
    test::run_zyray(dir.path());
    EXPECT_EQ(test::read_bytes(dir / "test.tif").size(), 196u + 4097 * 3 * 3);
    const test::Picture p = test::read_tiff(dir / "test.tif");
    EXPECT_EQ(p.width, 4097u);
    EXPECT_EQ(p.height, 3u);
    for (std::size_t i = 0; i < p.rgb.size(); ++i) ASSERT_EQ(p.rgb[i], i % 3 == 1 ? 255 : 0) << i / 3;
}

}  // namespace
}  // namespace zy
