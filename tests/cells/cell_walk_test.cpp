// Point location and the cell-to-cell walk: on a hand-made tree,
// then each step of the walk (found from the cell it leaves) against the
// locate-from-the-root step, on built trees whose split planes and root faces
// the rays start on exactly.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "cell_frame.h"

namespace zy::test {
namespace {

// The root (0,0,0)-(8,8,8) divided once at (4,4,4), as a tree built by hand.
class SplitCube : public testing::Test {
protected:
    SplitCube() : frame_({}) {
        CELL& root = frame_.records().root;
        root = cube_leaf(0, 8);
        root.leaf = 0;
        std::fill_n(root.mid, 3, 4.0);
        for (int i = 0; i < 8; ++i) {
            kids_[i] = cube_leaf(0, 4);
            kids_[i].level = 1;
            for (int a = 0; a < 3; ++a) {
                kids_[i].min[a] = (i >> a) & 1 ? 4 : 0;
                kids_[i].max[a] = kids_[i].min[a] + 4;
            }
            root.child[i] = &kids_[i];
        }
        frame_.records().step = 8.0 / 20480;
    }

    RT_RAY ray(const V3D& org, const V3D& dir) { return ray_from(frame_.trace(), scene_, org, dir); }
    const CELL* kid(int i) const { return &kids_[i]; }

    CellFrame frame_;
    CELL kids_[8]{};
    const Scene scene_ = frame_.records().scene();
};

TEST_F(SplitCube, PointsFindTheirLeafAndSplitPlanesGoLow) {
    const std::pair<V3D, int> cases[] = {{{5, 3, 4}, 1},     {{4, 4, 4}, 0},      {{8, 8, 8}, 7},       {{0, 0, 0}, 0},
                                         {{4.5, 4.5, 3}, 3}, {{8.001, 0, 0}, -1}, {{1, -1e-12, 1}, -1}};
    for (auto [p, leaf] : cases) EXPECT_EQ(rt_find_cell(scene_, p), leaf < 0 ? nullptr : kid(leaf)) << p.x << " " << p.y;
}

// Without a step a walk point on the split plane stays there, and the plane
// belongs to the lower cell: going up the walk cannot leave the cell and ends;
// going down it has reached the next cell. (Walks with a step are checked below
// and by the search cross-check.)
TEST_F(SplitCube, WalkWithoutAStepFromASplitPlane) {
    frame_.records().step = 0;
    for (const double dx : {1.0, -1.0}) {
        RT_RAY r = ray({4 - 3 * dx, 1, 1}, {dx, 0, 0});
        r.seg_org = {4, 1, 1};
        r.cell = kid(dx > 0 ? 0 : 1);
        const CELL* want = dx > 0 ? nullptr : kid(0);
        EXPECT_EQ(rt_cell_next(scene_, r), want);
        EXPECT_EQ(r.cell, want);
    }
}

// The step of rt_cell_next as defined: the exit face of the current cell, the
// point pushed one step beyond it, and its leaf located from the root.
const CELL* plain_next(const Scene& scene, RT_RAY& ray) {
    double t;
    if (ray.cell == nullptr || !rt_cell_i_intersect(*ray.cell, ray, t)) return nullptr;
    ray.seg_org = {ray.seg_org.x + t * ray.dir.x + ray.seg_dir.x, ray.seg_org.y + t * ray.dir.y + ray.seg_dir.y,
                   ray.seg_org.z + t * ray.dir.z + ray.seg_dir.z};
    const CELL* cell = rt_find_cell(scene, ray.seg_org);
    ray.cell = cell == ray.cell ? nullptr : cell;
    return ray.cell;
}

// Walks the ray with rt_cell_next and with plain_next side by side; the number
// of steps taken.
int expect_same_walk(TraceState& ts, const Scene& scene, const V3D& org, const V3D& dir) {
    RT_RAY fast = ray_from(ts, scene, org, dir);
    RT_RAY plain = fast;
    const CELL* a = rt_cell_first(scene, fast);
    const CELL* b = rt_cell_first(scene, plain);
    int steps = 0;
    for (; a != nullptr || b != nullptr; ++steps) {
        EXPECT_EQ(a, b) << "step " << steps;
        EXPECT_EQ(std::memcmp(&fast.seg_org, &plain.seg_org, sizeof(V3D)), 0) << "step " << steps;
        if (a != b) break;
        a = rt_cell_next(scene, fast);
        b = plain_next(scene, plain);
    }
    return steps;
}

// Points on split planes and root faces: the corners and centres of cells of
// the tree, and rays from them along the axes and diagonals.
int walk_from_every_cell_corner(CellFrame& frame) {
    const std::vector<const CELL*> cells = cells_of(scene_cell);
    const V3D dirs[] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}, {1, 1, 1}, {-1, 2, -3}};
    int steps = 0;
    for (std::size_t k = 0; k < cells.size(); k += 7) {
        const CELL& c = *cells[k];
        const V3D points[] = {{c.min[0], c.min[1], c.min[2]},
                              {c.max[0], c.max[1], c.max[2]},
                              {c.min[0], c.max[1], c.min[2]},
                              {(c.min[0] + c.max[0]) / 2, (c.min[1] + c.max[1]) / 2, (c.min[2] + c.max[2]) / 2}};
        for (const V3D& p : points)
            for (const V3D& d : dirs) steps += expect_same_walk(frame.trace(), frame.scene(), p, d);
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
        expect_same_walk(random.trace(), random.scene(), {around(rng), around(rng), around(rng)},
                         {dir(rng), dir(rng), dir(rng)});
}

TEST(WalkShortcut, SplitsThatRoundOntoACellFaceKeepTheWalkExact) {
    // Two tight clusters far from the origin: the deep cells around them are
    // about as narrow as the spacing of the numbers there, so splits round
    // onto cell faces.
    std::mt19937 rng(43);
    std::vector<Corners> corners;
    for (const double centre : {1e4, 1e4 + 1e-9}) {
        for (Corners c : random_triangles(rng, 1000, 4e-12, 4e-12)) {
            for (V3D* v : {&c.a, &c.b, &c.c}) *v = {v->x + centre, v->y + 1e4, v->z};
            corners.push_back(c);
        }
    }
    CellFrame frame(corners);
    frame.build();
    int rounded = 0;
    for (const CELL* c : cells_of(scene_cell))
        for (int a = 0; a < 3 && !c->leaf; ++a) rounded += c->mid[a] == c->min[a] || c->mid[a] == c->max[a];
    ASSERT_GT(rounded, 0);
    EXPECT_GT(walk_from_every_cell_corner(frame), 500);
}

}  // namespace
}  // namespace zy::test
