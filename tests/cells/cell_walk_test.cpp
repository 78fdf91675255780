// The cell-to-cell walk: each step (found from the cell it leaves) against the
// locate-from-the-root step, on built trees whose split planes and root faces
// the rays start on exactly.
#include <gtest/gtest.h>

#include <cstring>

#include "cell_frame.h"

namespace zy::test {
namespace {

// The nearest face of the cell ahead of the walk point, by the signs of the
// direction's components.
bool plain_exit(const CELL& cell, const RT_RAY& ray, double& t) {
    const double org[3] = {ray.seg_org.x, ray.seg_org.y, ray.seg_org.z}, dir[3] = {ray.dir.x, ray.dir.y, ray.dir.z};
    t = kFltMax;
    bool found = false;
    for (int a = 0; a < 3; ++a) {
        if (!(dir[a] > 0 || dir[a] < 0)) continue;
        const double ta = ((dir[a] > 0 ? cell.max[a] : cell.min[a]) - org[a]) / dir[a];
        if (ta >= 0 && ta < t) {
            t = ta;
            found = true;
        }
    }
    return found;
}

// The point t along the ray from `from`, pushed one step further.
V3D plain_stepped(const RT_RAY& ray, const V3D& from, double t) {
    return {from.x + t * ray.dir.x + ray.seg_dir.x, from.y + t * ray.dir.y + ray.seg_dir.y,
            from.z + t * ray.dir.z + ray.seg_dir.z};
}

// The step of rt_cell_next as defined: the exit face of the current cell, the
// point pushed one step beyond it, and its leaf located from the root.
const CELL* plain_next(const Scene& scene, RT_RAY& ray) {
    double t;
    if (ray.cell == nullptr || !plain_exit(*ray.cell, ray, t)) return nullptr;
    ray.seg_org = plain_stepped(ray, ray.seg_org, t);
    const CELL* cell = rt_find_cell(scene, ray.seg_org);
    ray.cell = cell == ray.cell ? nullptr : cell;
    return ray.cell;
}

// The first cell as defined: the leaf of the origin, or else the leaf one
// step past the nearest root face that the ray enters through.
const CELL* plain_first(const Scene& scene, RT_RAY& ray) {
    ray.cell = rt_find_cell(scene, ray.org);
    if (ray.cell != nullptr) return ray.cell;
    const double org[3] = {ray.org.x, ray.org.y, ray.org.z}, dir[3] = {ray.dir.x, ray.dir.y, ray.dir.z};
    const CELL& root = scene.root;
    double t = kFltMax;
    for (int a = 0; a < 3; ++a) {
        const double ta = ((dir[a] > 0 ? root.min[a] : root.max[a]) - org[a]) / dir[a];
        bool on_face = ta >= 0 && ta < t;
        for (int b = 0; b < 3; ++b) {
            const double p = org[b] + ta * dir[b];
            if (b != a) on_face = on_face && root.min[b] <= p && p <= root.max[b];
        }
        if (on_face) t = ta;
    }
    if (t == kFltMax) return nullptr;
    ray.seg_org = plain_stepped(ray, ray.org, t);
    ray.cell = rt_find_cell(scene, ray.seg_org);
    return ray.cell;
}

// What the walk says of its leaf without reading it: the exit faces, the
// parent and whether it is empty.
void expect_known_leaf(const RT_RAY& ray, const CELL& leaf) {
    const double dir[3] = {ray.dir.x, ray.dir.y, ray.dir.z};
    for (int a = 0; a < 3; ++a) {
        const double& face = dir[a] > 0 ? leaf.max[a] : leaf.min[a];
        EXPECT_EQ(std::memcmp(&ray.cell_exit[a], &face, sizeof face), 0) << "axis " << a;
    }
    if (leaf.parent != nullptr) {
        EXPECT_EQ(ray.cell_parent, leaf.parent);
    }
    // The tree's root is never marked.
    EXPECT_EQ(ray.cell_empty, leaf.count == 0 && &leaf != &scene_cell);
}

struct Walked {
    int steps = 0;
    /// Leaves the plain walk met after the fast one had ended: all empty.
    int after_end = 0;

    Walked& operator+=(const Walked& w) {
        steps += w.steps;
        after_end += w.after_end;
        return *this;
    }
};

// Walks the ray with rt_cell_next and with plain_next side by side, the first
// starting its search from near. The fast walk may end early, but only where
// every leaf the plain walk still meets is empty.
Walked expect_same_walk(const Scene& scene, const V3D& org, const V3D& dir, const CELL* near = nullptr) {
    RT_RAY fast = ray_from(scene, org, dir);
    RT_RAY plain = fast;
    const CELL* a = rt_cell_first(scene, fast, near);
    const CELL* b = plain_first(scene, plain);
    Walked w;
    for (; b != nullptr; ++w.steps) {
        if (a == nullptr) {
            EXPECT_EQ(b->count, 0) << "step " << w.steps;
            ++w.after_end;
            b = plain_next(scene, plain);
            continue;
        }
        EXPECT_EQ(a, b) << "step " << w.steps;
        EXPECT_EQ(std::memcmp(&fast.seg_org, &plain.seg_org, sizeof(V3D)), 0) << "step " << w.steps;
        if (a != b) break;
        expect_known_leaf(fast, *a);
        a = rt_cell_next(scene, fast);
        b = plain_next(scene, plain);
    }
    EXPECT_EQ(a, nullptr);
    return w;
}

// Points on split planes and root faces: the corners and centres of cells of
// the tree, and rays from them along the axes and diagonals.
Walked walk_from_every_cell_corner(CellFrame& frame) {
    const std::vector<const CELL*> cells = cells_of(scene_cell);
    const V3D dirs[] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}, {1, 1, 1}, {-1, 2, -3}};
    Walked walked;
    for (std::size_t k = 0; k < cells.size(); k += 7) {
        const CELL& c = *cells[k];
        const V3D points[] = {{c.min[0], c.min[1], c.min[2]},
                              {c.max[0], c.max[1], c.max[2]},
                              {c.min[0], c.max[1], c.min[2]},
                              {(c.min[0] + c.max[0]) / 2, (c.min[1] + c.max[1]) / 2, (c.min[2] + c.max[2]) / 2}};
        // The first cell is looked for from the cell itself or from one far off.
        const CELL* near[] = {&c, cells[(k * 31 + 5) % cells.size()]};
        for (const V3D& p : points)
            for (int d = 0; d < 8; ++d) walked += expect_same_walk(frame.scene(), p, dirs[d], near[d % 2]);
    }
    return walked;
}

TEST(WalkShortcut, EveryStepLandsInTheLeafFoundFromTheRoot) {
    std::mt19937 rng(41);
    // Coordinates on a grid of 0.25 put triangles and ray origins on split planes.
    CellFrame snapped(random_triangles(rng, 2500, 16.0, 1.0, 0.25));
    snapped.build();
    ASSERT_EQ(scene_cell.leaf, 0);
    ASSERT_EQ(scene_cell.child(0)->parent, &scene_cell);  // the walk climbs this tree
    EXPECT_GT(walk_from_every_cell_corner(snapped).steps, 5000);

    CellFrame random(random_triangles(rng, 3000, 10.0, 0.6));
    random.build();
    std::uniform_real_distribution<double> around(-3.0, 13.0), dir(-1.0, 1.0);
    for (int r = 0; r < 2000; ++r)
        expect_same_walk(random.scene(), {around(rng), around(rng), around(rng)}, {dir(rng), dir(rng), dir(rng)});
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
    const Walked walked = walk_from_every_cell_corner(frame);
    EXPECT_GT(walked.steps, 500);
    EXPECT_GT(walked.after_end, 0);  // past the clusters, the walk ends early
}

}  // namespace
}  // namespace zy::test
