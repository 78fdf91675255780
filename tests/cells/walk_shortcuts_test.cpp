// The shortcuts of the built tree against their plain definitions: each step
// of the walk (found from the cell it leaves) against the locate-from-the-root
// step, on trees whose split planes and root faces the rays start on exactly;
// and the tree built on several threads against the one built on one.
#include <gtest/gtest.h>
#include <omp.h>

#include <cstring>
#include <string>

#include "cell_frame.h"

namespace zy::test {
namespace {

// The step of rt_cell_next as defined: the exit face of the current cell, the
// point pushed one step beyond it, and its leaf located from the root.
const CELL* plain_next(RT_RAY& ray) {
    double t;
    if (ray.cell == nullptr || !rt_cell_i_intersect(*ray.cell, ray, t)) return nullptr;
    ray.seg_org = {ray.seg_org.x + t * ray.dir.x + ray.seg_dir.x, ray.seg_org.y + t * ray.dir.y + ray.seg_dir.y,
                   ray.seg_org.z + t * ray.dir.z + ray.seg_dir.z};
    const CELL* cell = rt_find_cell(ray.seg_org);
    if (cell == ray.cell) cell = nullptr;
    ray.cell = cell;
    return cell;
}

bool same_point(const V3D& a, const V3D& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Walks the ray with rt_cell_next and with plain_next side by side; the number
// of steps taken.
int expect_same_walk(TraceState& ts, const V3D& org, const V3D& dir) {
    RT_RAY fast = ray_from(ts, org, dir);
    RT_RAY plain = fast;
    const CELL* a = rt_cell_first(fast);
    const CELL* b = rt_cell_first(plain);
    int steps = 0;
    while (a != nullptr || b != nullptr) {
        EXPECT_EQ(a, b) << "step " << steps;
        EXPECT_TRUE(same_point(fast.seg_org, plain.seg_org)) << "step " << steps;
        if (a != b) return steps;
        a = rt_cell_next(fast);
        b = plain_next(plain);
        ++steps;
    }
    return steps;
}

// Points on split planes and root faces: the corners and centres of every
// cell of the tree, and rays from them along the axes and diagonals.
int walk_from_every_cell_corner(CellFrame& frame) {
    std::vector<const CELL*> cells;
    collect_cells(scene_cell, cells);
    const V3D dirs[] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}, {1, 1, 1}, {-1, 2, -3}};
    int steps = 0;
    for (std::size_t k = 0; k < cells.size(); k += 7) {
        const CELL& c = *cells[k];
        const V3D points[] = {{c.min[0], c.min[1], c.min[2]},
                              {c.max[0], c.max[1], c.max[2]},
                              {c.min[0], c.max[1], c.min[2]},
                              {(c.min[0] + c.max[0]) / 2, (c.min[1] + c.max[1]) / 2, (c.min[2] + c.max[2]) / 2}};
        for (const V3D& p : points)
            for (const V3D& d : dirs) steps += expect_same_walk(frame.trace(), p, d);
    }
    return steps;
}

TEST(WalkShortcut, EveryStepLandsInTheLeafFoundFromTheRoot) {
    std::mt19937 rng(41);
    // Coordinates on a grid of 0.25 put triangles and ray origins on split planes.
    CellFrame snapped(random_triangles(rng, 2500, 16.0, 1.0, 0.25));
    snapped.build();
    ASSERT_EQ(scene_cell.leaf, 0);
    ASSERT_EQ(scene_cell.child[0]->parent, &scene_cell);  // the walk climbs this tree
    EXPECT_GT(walk_from_every_cell_corner(snapped), 5000);

    CellFrame random(random_triangles(rng, 3000, 10.0, 0.6));
    random.build();
    std::uniform_real_distribution<double> around(-3.0, 13.0), dir(-1.0, 1.0);
    for (int r = 0; r < 2000; ++r)
        expect_same_walk(random.trace(), {around(rng), around(rng), around(rng)}, {dir(rng), dir(rng), dir(rng)});
}

TEST(WalkShortcut, SplitsThatRoundOntoACellFaceKeepTheWalkExact) {
    // Two tight clusters far from the origin: the deep cells around them are
    // about as narrow as the spacing of the numbers there, so splits round
    // onto cell faces. The walk must still land where the descent from the
    // root does.
    std::mt19937 rng(43);
    std::vector<Corners> corners;
    for (const double centre : {1e4, 1e4 + 1e-9}) {
        for (const Corners& c : random_triangles(rng, 1000, 4e-12, 4e-12))
            corners.push_back({{c.a.x + centre, c.a.y + 1e4, c.a.z}, {c.b.x + centre, c.b.y + 1e4, c.b.z},
                               {c.c.x + centre, c.c.y + 1e4, c.c.z}});
    }
    CellFrame frame(corners);
    frame.build();
    std::vector<const CELL*> cells;
    collect_cells(scene_cell, cells);
    int rounded = 0;
    for (const CELL* c : cells)
        for (int a = 0; a < 3 && !c->leaf; ++a) rounded += c->mid[a] == c->min[a] || c->mid[a] == c->max[a];
    ASSERT_GT(rounded, 0);
    EXPECT_GT(walk_from_every_cell_corner(frame), 500);
}

// Difference between two trees (boxes, splits, references), empty when equal.
std::string tree_difference(const CELL& a, const CELL& b, const std::string& path) {
    if (a.leaf != b.leaf || a.count != b.count || a.level != b.level) return path + ": shape";
    if (std::memcmp(a.min, b.min, sizeof a.min) != 0 || std::memcmp(a.max, b.max, sizeof a.max) != 0) return path + ": box";
    if (!a.leaf && std::memcmp(a.mid, b.mid, sizeof a.mid) != 0) return path + ": mid";
    if (!std::equal(a.tris, a.tris + a.count, b.tris)) return path + ": triangles";
    for (int i = 0; i < 8 && !a.leaf; ++i) {
        const std::string d = tree_difference(*a.child[i], *b.child[i], path + "/" + std::to_string(i));
        if (!d.empty()) return d;
    }
    return "";
}

TEST(ParallelDivision, TheTreeDoesNotDependOnTheThreadCount) {
    std::mt19937 rng(47);
    CellFrame frame(random_triangles(rng, 30000, 20.0, 0.5));
    const int threads = omp_get_max_threads();
    omp_set_num_threads(1);
    frame.build();
    const CELL one_thread = scene_cell;  // its blocks live until the frame ends
    omp_set_num_threads(4);
    frame.build();
    omp_set_num_threads(threads);
    EXPECT_EQ(tree_difference(scene_cell, one_thread, "root"), "");
    std::vector<const CELL*> cells;
    collect_cells(scene_cell, cells);
    EXPECT_GT(cells.size(), 1000u);
}

}  // namespace
}  // namespace zy::test
