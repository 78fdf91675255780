// Rendering on all cores must give exactly the bytes of one thread: pictures,
// break files and console output.
#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"
#include "writer/generated_scenes.h"

namespace zy {
namespace {

struct Outcome {
    test::RunResult run;
    std::vector<uint8_t> first, second, brk;
};

Outcome render_with(const std::string& environment) {
    // Enough triangles and rows to keep every thread busy across several groups of bands.
    writer::Scene scene = writer::mesh_on_floor_scene(24, 32, 120, 90, 2);
    scene.settings.inf.options = 1;
    test::TempDir dir;
    writer::write_scene(dir.path(), scene);
    Outcome o;
    o.run = test::run_zyray(dir.path(), environment);
    o.first = test::read_bytes(dir / "zy_00001.tif");
    o.second = test::read_bytes(dir / "zy_00002.tif");
    o.brk = test::read_bytes(dir / "ball.brk");
    return o;
}

TEST(Threads, AllThreadsGiveTheBytesOfOne) {
    const Outcome one = render_with("OMP_NUM_THREADS=1");
    ASSERT_EQ(one.run.status, 1);
    ASSERT_EQ(one.first.size(), 196u + 120 * 90 * 3);
    EXPECT_EQ(one.brk, writer::break_file_bytes(2, 0));
    // The two frames differ (the camera turns), so the comparison sees real pictures.
    EXPECT_NE(one.first, one.second);
    for (const char* env : {"", "OMP_NUM_THREADS=2", "OMP_NUM_THREADS=5"}) {
        const Outcome many = render_with(env);
        EXPECT_EQ(many.run.output, one.run.output) << env;
        EXPECT_EQ(many.first, one.first) << env;
        EXPECT_EQ(many.second, one.second) << env;
        EXPECT_EQ(many.brk, one.brk) << env;
    }
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
