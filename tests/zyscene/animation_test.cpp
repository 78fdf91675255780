// Keyframes compiled into one block per frame and read back frame after frame
// by the renderer's frame loader.
#include <gtest/gtest.h>

#include "scene/frame_loader.h"
#include "support/loaded_scene.h"
#include "zyscene_fixture.h"

namespace zy::zyscene::test {
namespace {

using zy::test::InProcess;

// moving.json, frame after frame, against its recording.
TEST(Animation, EveryFrameHoldsItsOwnBlendOfTheKeyframes) {
    InProcess run;
    ASSERT_EQ(load_back(compile_text(run.folder(), data_text("moving.json"))), -1);
    std::string frames = zy::test::loaded_settings();
    for (int k = 0; k < 5; ++k) {
        ASSERT_EQ(quiet_stop_error([k] { rt_load_frame(k); }), -1);
        frames += "frame " + std::to_string(k + 1) + "\n" + zy::test::loaded_frame(16);
    }
    zy::test::expect_recorded(frames, fs::path(ZY_TEST_DATA) / "moving.loaded");
}

TEST(Animation, ObjectsPlacedAlikeShareAMatrixTriple) {
    zy::test::TempDir dir;
    const auto moving = compile_text(dir.path(), data_text("moving_objects.json"));
    EXPECT_TRUE(moving.animated());
    // The two objects on one path share; the faster one has its own; the
    // still one matches the others at frame 1 but not later.
    ASSERT_EQ(moving.frame(0).matrices.size(), 3u);
    const auto last = moving.frame(2);
    EXPECT_EQ(last.matrices[0][0].m[3][0], -4.0);  // the inverse of moving by 4
    EXPECT_EQ(last.matrices[1][0].m[3][0], -4.0);
    EXPECT_EQ(last.matrices[2][0].m[3][0], 0.0);
    EXPECT_EQ(last.tris.front().mat_index, 0);
    EXPECT_EQ(last.tris.back().mat_index, 2);
}

}  // namespace
}  // namespace zy::zyscene::test
