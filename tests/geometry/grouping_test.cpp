#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <vector>

#include "geometry/triangle.h"
#include "scene/rt_var.h"

namespace zy {
namespace {

using Corners = std::array<int, 3>;

// Triangles as point-index triples, objects as counts; the points are shared
// references, their coordinates do not matter.
class Grouping : public ::testing::Test {
protected:
    void SetUp() override { std::memset(&rt_var, 0, sizeof rt_var); }
    void TearDown() override { std::memset(&rt_var, 0, sizeof rt_var); }

    void load(int n_points, const std::vector<Corners>& corners, std::vector<int32_t> objects) {
        points.assign(static_cast<std::size_t>(n_points), V3D{0, 0, 0});
        tris.assign(corners.size(), TRIANGLE{});
        for (std::size_t i = 0; i < corners.size(); ++i)
            for (int k = 0; k < 3; ++k) tris[i].v[k] = &points[static_cast<std::size_t>(corners[i][k])];
        object_sizes = std::move(objects);
        rt_var.points = points.data();
        rt_var.n_pnt = n_points;
        rt_var.tris = tris.data();
        rt_var.n_tri = static_cast<int32_t>(tris.size());
        rt_var.obj_tri_count = object_sizes.data();
        rt_var.n_obj = static_cast<int16_t>(object_sizes.size());
    }

    std::vector<int32_t> groups() const {
        std::vector<int32_t> g;
        for (const TRIANGLE& t : tris) g.push_back(t.group);
        return g;
    }

    // The pairwise scan: every triangle offers its number to every later
    // ungrouped triangle of its object that shares a vertex reference.
    std::vector<int32_t> reference_groups() const {
        std::vector<int32_t> g(tris.size(), 0);
        int32_t next = 1;
        std::size_t start = 0;
        for (int32_t count : object_sizes) {
            const std::size_t end = start + static_cast<std::size_t>(count);
            for (std::size_t a = start; a < end; ++a) {
                if (g[a] == 0) g[a] = next++;
                for (std::size_t b = a + 1; b < end; ++b) {
                    if (g[b] != 0) continue;
                    bool shared = false;
                    for (const V3D* va : tris[a].v)
                        for (const V3D* vb : tris[b].v) shared = shared || va == vb;
                    if (shared) g[b] = g[a];
                }
            }
            start = end;
        }
        return g;
    }

    std::vector<V3D> points;
    std::vector<TRIANGLE> tris;
    std::vector<int32_t> object_sizes;
};

TEST_F(Grouping, FirstNumberIsKeptAndGroupsAreNotMerged) {
    // T3 is numbered before T4 joins the first group; T3 and T4 share P5.
    load(9, {{0, 1, 2}, {2, 3, 4}, {5, 6, 7}, {4, 5, 8}}, {4});
    testing::internal::CaptureStdout();
    rt_tri_group();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Start Pass 1 please wait\nPass 1 success\n");
    EXPECT_EQ(groups(), (std::vector<int32_t>{1, 1, 2, 1}));
}

TEST_F(Grouping, NumbersRunOnAcrossObjectsAndSharingStopsAtTheirBorder) {
    // The second object reuses point 2 of the first: still a group of its own.
    load(7, {{0, 1, 2}, {2, 3, 4}, {2, 5, 6}, {5, 6, 0}, {0, 1, 3}}, {2, 2});
    testing::internal::CaptureStdout();
    rt_tri_group();
    testing::internal::GetCapturedStdout();
    // The last triangle lies beyond the objects and stays ungrouped.
    EXPECT_EQ(groups(), (std::vector<int32_t>{1, 1, 2, 2, 0}));
}

TEST_F(Grouping, EqualsThePairwiseScanOnRandomObjects) {
    std::mt19937 random(12345);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    for (int round = 0; round < 300; ++round) {
        const int n_points = pick(3, 40);
        std::vector<int32_t> objects(static_cast<std::size_t>(pick(0, 5)));
        int total = 0;
        for (int32_t& count : objects) total += count = pick(0, 50);
        std::vector<Corners> corners(static_cast<std::size_t>(total + pick(0, 3)));
        for (Corners& c : corners) c = {pick(0, n_points - 1), pick(0, n_points - 1), pick(0, n_points - 1)};
        load(n_points, corners, objects);

        testing::internal::CaptureStdout();
        rt_tri_group();
        testing::internal::GetCapturedStdout();
        ASSERT_EQ(groups(), reference_groups()) << "round " << round;
    }
}

}  // namespace
}  // namespace zy
