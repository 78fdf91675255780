// Colours as the picture shows them, turned into stored bytes through the
// inverse of the output curve; "colors": "file" keeps the stored bytes.
#include <gtest/gtest.h>

#include <set>

#include "render/output_curve.h"
#include "zyscene/colour_meaning.h"
#include "zyscene_fixture.h"

namespace zy::zyscene::test {
namespace {

TEST(Colours, EveryShownByteComesBackAndTheDarkEndTakesTheNearest) {
    std::set<int> shown;
    for (int stored = 0; stored < 256; ++stored) shown.insert(shown_byte(static_cast<uint8_t>(stored)));
    EXPECT_EQ(shown.size(), 192u);
    for (int seen : shown) EXPECT_EQ(shown_byte(stored_for_seen(static_cast<uint8_t>(seen))), seen);
    // Stored 0, 1 and 2 show 0, 16 and 23. Stored 14 and 15 show 60 and 62; unrounded, 15 lies nearer 61.
    const std::pair<int, int> dark[] = {{7, 0}, {8, 1}, {19, 1}, {20, 2}, {61, 15}};
    for (auto [seen, stored] : dark) EXPECT_EQ(stored_for_seen(static_cast<uint8_t>(seen)), stored) << seen;
}

// The sky, clouds, fog, a surface and the floor it lends show as written;
// ambient and light colours are brightnesses, stored as written.
TEST(Colours, WrittenColoursShowAsWrittenOrWithColorsFileAreStoredAsWritten) {
    zy::test::TempDir dir;
    const std::string members = kCamera + R"(, "render": {"floor": true}, "sky": {"top": "#d98f00"},
      "clouds": {"color1": [64, 128, 255]}, "fog": {"color": [140, 230, 200]}, "ambient": [40, 80, 200],
      "lights": [{"position": [0, 5, 0], "color": [40, 80, 200]}],
      "surfaces": {"s": {"material": {"color": [101, 143, 226]}}}, "floor": {"surface": "s"}})";
    for (const bool as_file : {false, true}) {
        const CompiledScene scene = compile_text(dir.path(), (as_file ? R"({"colors": "file", )" : "{") + members);
        const RT_INF& inf = scene.settings.inf;
        std::vector<int> seen, kept;
        for (const uint8_t* c : {inf.sky_color1, inf.cloud_color1, inf.fog_color, inf.floor_mat[0].color,
                                 scene.settings.surfaces[0].mat[1].color})
            for (int k = 0; k < 3; ++k) seen.push_back(as_file ? c[k] : shown_byte(c[k]));
        const writer::FrameBlock first = scene.frame(0);
        for (const uint8_t* c : {inf.ambient_color, first.lights[0].color}) kept.insert(kept.end(), c, c + 3);
        EXPECT_EQ(seen, (std::vector<int>{0xd9, 0x8f, 0, 64, 128, 255, 140, 230, 200, 101, 143, 226, 101, 143, 226}))
            << as_file;
        EXPECT_EQ(kept, (std::vector<int>{40, 80, 200, 40, 80, 200})) << as_file;
    }
}

}  // namespace
}  // namespace zy::zyscene::test
