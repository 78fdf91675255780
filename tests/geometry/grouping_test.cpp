#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "geometry/triangle.h"
#include "scene/rt_var.h"

namespace zy {
namespace {

using Corners = std::array<int, 3>;

// Groups triangles given as point-index triples, in objects of the given
// sizes; returns their numbers and what was printed. The points are shared
// references, their coordinates do not matter.
std::vector<int32_t> grouped(int n_points, const std::vector<Corners>& corners, std::vector<int32_t> objects,
                             std::string& console) {
    std::vector<V3D> points(static_cast<std::size_t>(n_points));
    std::vector<TRIANGLE> tris(corners.size());
    for (std::size_t i = 0; i < corners.size(); ++i)
        for (int k = 0; k < 3; ++k) tris[i].v[k] = &points[static_cast<std::size_t>(corners[i][k])];
    std::memset(&rt_var, 0, sizeof rt_var);
    rt_var.points = points.data();
    rt_var.n_pnt = n_points;
    rt_var.tris = tris.data();
    rt_var.n_tri = static_cast<int32_t>(tris.size());
    rt_var.obj_tri_count = objects.data();
    rt_var.n_obj = static_cast<int16_t>(objects.size());
    testing::internal::CaptureStdout();
    rt_tri_group();
    console = testing::internal::GetCapturedStdout();
    std::vector<int32_t> g;
    for (const TRIANGLE& t : tris) g.push_back(t.group);
    return g;
}

// The pairwise scan: every triangle offers its number to every later
// ungrouped triangle of its object that shares a point.
std::vector<int32_t> pairwise(const std::vector<Corners>& corners, const std::vector<int32_t>& objects) {
    std::vector<int32_t> g(corners.size(), 0);
    int32_t next = 1;
    std::size_t start = 0;
    for (int32_t count : objects) {
        const std::size_t end = start + static_cast<std::size_t>(count);
        for (std::size_t a = start; a < end; ++a) {
            if (g[a] == 0) g[a] = next++;
            for (std::size_t b = a + 1; b < end; ++b) {
                const Corners &p = corners[a], &q = corners[b];
                if (g[b] == 0 && std::find_first_of(p.begin(), p.end(), q.begin(), q.end()) != p.end()) g[b] = g[a];
            }
        }
        start = end;
    }
    return g;
}

// Random objects sharing points across their borders, some triangles beyond
// the objects (they stay ungrouped).
TEST(Grouping, EqualsThePairwiseScanOnRandomObjects) {
    std::mt19937 random(12345);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    std::string console;
    for (int round = 0; round < 300; ++round) {
        const int n_points = pick(3, 40);
        std::vector<int32_t> objects(static_cast<std::size_t>(pick(0, 5)));
        int total = 0;
        for (int32_t& count : objects) total += count = pick(0, 50);
        std::vector<Corners> corners(static_cast<std::size_t>(total + pick(0, 3)));
        for (Corners& c : corners) c = {pick(0, n_points - 1), pick(0, n_points - 1), pick(0, n_points - 1)};
        ASSERT_EQ(grouped(n_points, corners, objects, console), pairwise(corners, objects)) << "round " << round;
    }
    EXPECT_EQ(console, "Start Pass 1 please wait\nPass 1 success\n");
}

}  // namespace
}  // namespace zy
