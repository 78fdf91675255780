// Rendering on all cores must give exactly the bytes of one thread: pictures,
// break files and console output.
#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"
#include "writer/generated_scenes.h"

namespace zy {
namespace {

using Bytes = std::vector<uint8_t>;

// The console output, both pictures and the break file of one render.
std::vector<Bytes> render_with(const std::string& environment) {
    // Enough triangles and rows to keep every thread busy across several groups of bands.
    writer::Scene scene = writer::mesh_on_floor_scene(24, 32, 120, 90, 2);
    scene.settings.inf.options = 1;
    test::TempDir dir;
    writer::write_scene(dir.path(), scene);
    const std::string output = test::run_zyray(dir.path(), environment).output;
    std::vector<Bytes> outcome{Bytes(output.begin(), output.end())};
    for (const char* name : {"zy_00001.tif", "zy_00002.tif", "ball.brk"}) outcome.push_back(test::read_bytes(dir / name));
    return outcome;
}

TEST(Threads, AllThreadsGiveTheBytesOfOne) {
    const std::vector<Bytes> one = render_with("OMP_NUM_THREADS=1");
    ASSERT_EQ(one[1].size(), 196u + 120 * 90 * 3);
    EXPECT_EQ(one[3], writer::break_file_bytes(2, 0));
    // The two frames differ (the camera turns), so the comparison sees real pictures.
    EXPECT_NE(one[1], one[2]);
    for (const char* env : {"", "OMP_NUM_THREADS=2", "OMP_NUM_THREADS=5"}) EXPECT_EQ(render_with(env), one) << env;
}

TEST(Threads, ConformanceCasesWithOneThreadAndWithThree) {
    for (const char* threads : {"1", "3"}) {
        const std::string command = std::string("OMP_NUM_THREADS=") + threads + " python3 '" + ZY_CONFORMANCE_DIR +
                                    "/check.py' '" + ZY_ZYRAY_PATH + "' > /dev/null";
        EXPECT_EQ(std::system(command.c_str()), 0) << "with " << threads << " threads";
    }
}

}  // namespace
}  // namespace zy
