// Keyframes compiled into one block per frame and read back frame after frame
// by the renderer's frame loader.
#include <gtest/gtest.h>

#include <cmath>

#include "scene/frame_loader.h"
#include "scene/rt_var.h"
#include "zyscene_fixture.h"

namespace zy::zyscene::test {
namespace {

using zy::test::InProcess;

// The middle of the first box's eight corners, in scene coordinates.
V3D box_centre() {
    V3D c{0, 0, 0};
    for (int i = 0; i < 8; ++i)
        c = {c.x + rt_var.points[i].x / 8, c.y + rt_var.points[i].y / 8, c.z + rt_var.points[i].z / 8};
    return {c.x + rt_var.pov.x, c.y + rt_var.pov.y, c.z + rt_var.pov.z};
}

// moving.json: five frames. The eye moves one unit a frame; the fov has keys
// at frames 1 and 3 only; the lamp moves between frames 2 and 4 and brightens
// over all five; the box slides and turns half around y.
TEST(Animation, EveryFrameHoldsItsOwnBlendOfTheKeyframes) {
    InProcess run;
    ASSERT_EQ(load_back(compile_text(run.folder(), data_text("moving.json"))), -1);
    ASSERT_EQ(rt_var.frame_count, 5);
    EXPECT_EQ(rt_var.wave_period, 5);  // one wave cycle over the whole animation
    ASSERT_EQ(rt_var.n_mat, 1);

    const double fov_half[] = {20, 25, 30, 30, 30};
    const double lamp_x[] = {0, 0, 4, 8, 8};
    for (int k = 0; k < 5; ++k) {
        SCOPED_TRACE("frame " + std::to_string(k + 1));
        ASSERT_EQ(quiet_stop_error([k] { rt_load_frame(k); }), -1);
        // The look-at point stays at the origin.
        EXPECT_EQ(xyz(rt_var.eye), xyz({1.0 * k, 0, -10}));
        EXPECT_EQ(std::tuple(rt_var.fov_x, rt_var.lights[0].pos.x, rt_var.lights[0].pos.y),
                  std::tuple(fov_half[k], lamp_x[k], 10));
        // 200 / 4 per frame, and so on.
        EXPECT_EQ(rgb(rt_var.lights[0].col), rgb(50 * k, 25 * k, static_cast<int>(std::lround(12.5 * k))));
        expect_near(box_centre(), {2.0 * k, 0, 0}, 1e-6);
        // 45 degrees a frame about y: the corner at object (1, 1, 1) turns
        // toward +x first (z turns toward x).
        const double a = k * 45 * 3.141592653589793 / 180;
        V3D corner;
        v3d_trnsf({2.0 * k + std::cos(a) + std::sin(a), 1, std::cos(a) - std::sin(a)}, corner, rt_var.ptrn_mat[0]);
        expect_near(corner, {1, 1, 1}, 1e-9);
        for (int i = 0; i < 12; ++i) EXPECT_EQ(rt_var.tris[i].mat_index, 0);
        // The still box stays put, with no matrix.
        EXPECT_NEAR(rt_var.points[8].y + rt_var.pov.y, 2.5, 1e-6);
        EXPECT_EQ(rt_var.tris[12].mat_index, -1);
    }
}

TEST(Animation, ObjectsPlacedAlikeShareAMatrixTriple) {
    zy::test::TempDir dir;
    // A bumped sphere placed like a patterned box shares its triple; objects in
    // scene texture space or without a texture need none.
    const auto still = compile_text(dir.path(), data_text("still_objects.json"));
    EXPECT_EQ(still.first_frame.matrices.size(), 2u);
    const std::size_t first[] = {0, 12, 12 + 2 * 32 * 15, 24 + 2 * 32 * 15, 36 + 2 * 32 * 15};
    const int mat_index[] = {0, 0, 1, -1, -1};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(still.first_frame.tris[first[i]].mat_index, mat_index[i]) << "object " << i;

    const auto moving = compile_text(dir.path(), data_text("moving_objects.json"));
    EXPECT_TRUE(moving.animated());
    // The two objects on one path share; the faster one has its own; the
    // still one matches the others at frame 1 but not later.
    ASSERT_EQ(moving.first_frame.matrices.size(), 3u);
    const auto last = moving.frame(2);
    EXPECT_EQ(last.matrices[0][0].m[3][0], -4.0);  // the inverse of moving by 4
    EXPECT_EQ(last.matrices[1][0].m[3][0], -4.0);
    EXPECT_EQ(last.matrices[2][0].m[3][0], 0.0);
    EXPECT_EQ(last.tris.front().mat_index, 0);
    EXPECT_EQ(last.tris.back().mat_index, 2);
}

}  // namespace
}  // namespace zy::zyscene::test
