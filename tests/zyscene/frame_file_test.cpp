// The frame file as zyscene writes it, baked piece by piece straight into the
// file, against the same frames baked whole and laid out by the writer.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <numeric>

#include "writer/scene_writer.h"
#include "zyscene/output.h"
#include "zyscene_fixture.h"

namespace zy::zyscene::test {
namespace {

writer::Bytes file_bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Tori of more points and triangles than one piece holds, smooth and
// mirrored (normals per point) and flat; a mesh whose second triangle
// collapses onto a welded point and is left out. Moving, each frame is
// baked; still, the first block repeats.
TEST(FrameFile, BlocksWrittenAsTheyAreBakedAreTheWholeBlocks) {
    zy::test::TempDir dir;
    write_text(dir.path(), "two.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 0\nf 1 2 3\nf 1 2 4\n");
    for (const std::string translate : {R"({"1": [0, 0, 0], "3": [2, 0, 0]})", "[1, 0, 0]"}) {
        const CompiledScene scene = compile_text(dir.path(), "{" + kCamera + R"(, "render": {"frames": 3},
          "surfaces": {"s": {}}, "objects": [
            {"torus": {"segments": 100, "sides": 50}, "surface": "s",
             "transform": {"scale": [-1, 1, 1], "translate": )" + translate + R"(}},
            {"torus": {"segments": 90, "sides": 40}, "surface": "s", "smooth": false},
            {"mesh": "two.obj", "surface": "s"}]})");
        const fs::path out = dir / "out";
        write_scene_files(scene, out);
        std::vector<writer::FrameBlock> frames;
        for (int k = 0; k < 3; ++k) frames.push_back(scene.frame(k));
        writer::Scene names;
        names.shade = scene.shade;
        EXPECT_EQ(file_bytes(out / writer::scene_file_name(names, ".sys")), writer::frame_file_bytes(frames))
            << translate;

        // The counts come from checking the frame, not from baking it.
        const RT_INF& inf = scene.settings.inf;
        const auto& sizes = scene.settings.object_sizes;
        EXPECT_EQ(sizes, (std::vector<int32_t>{10000, 7200, 1}));
        EXPECT_EQ(std::accumulate(sizes.begin(), sizes.end(), std::size_t{0}), frames[0].tris.size());
        EXPECT_EQ(static_cast<std::size_t>(inf.n_tri), frames[0].tris.size());
        EXPECT_EQ(static_cast<std::size_t>(inf.n_pnt), frames[0].points.size());
    }
}

}  // namespace
}  // namespace zy::zyscene::test
