// The tree builder against a plain transcription of the division by waiting
// list (always the fullest waiting cell first), on one thread and on several,
// and its behaviour when memory runs out.
#include <gtest/gtest.h>
#include <omp.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <deque>
#include <limits>
#include <list>
#include <string>

#include "cell_frame.h"
#include "driver/memoire.h"

namespace zy::test {
namespace {

// The division as written: a waiting list walked from its head for the largest
// count at every step. Built over the root box left by the real build.
class ListWalkTree {
public:
    ListWalkTree(const CELL& built_root, const RT_VAR& settings) {
        std::copy_n(built_root.min, 3, root_.min);
        std::copy_n(built_root.max, 3, root_.max);
        root_.leaf = 1;
        auto& all = arrays_.emplace_back();
        for (int32_t k = 0; k < settings.n_tri; ++k) all.push_back(&settings.tris[k]);
        root_.tris = all.data();
        root_.count = settings.n_tri;
        std::list<CELL*> waiting{&root_};
        while (!waiting.empty()) {
            const auto fullest = std::max_element(waiting.begin(), waiting.end(),
                                                  [](const CELL* x, const CELL* y) { return x->count < y->count; });
            CELL* const cell = *fullest;
            if (cell->count <= 0) break;
            const auto place = waiting.erase(fullest);
            if (cell->level > 9 || cell->count < cell_threshold_table[cell->level]) continue;
            // The children that reach their threshold take the parent's place in the list.
            divide(*cell);
            for (CELL& kid : cell->children())
                if (kid.count >= cell_threshold_table[cell->level + 1]) waiting.insert(place, &kid);
        }
    }
    const CELL& root() const { return root_; }

private:
    void divide(CELL& cell) {
        auto& block = blocks_.emplace_back();
        for (int a = 0; a < 3; ++a) cell.mid[a] = cell.min[a] + (cell.max[a] - cell.min[a]) / 2.0;
        for (int i = 0; i < 8; ++i) {
            CELL& kid = block[static_cast<std::size_t>(i)];
            kid.leaf = 1;
            kid.level = static_cast<int8_t>(cell.level + 1);
            for (int a = 0; a < 3; ++a) {
                const bool upper = (i >> a) & 1;
                kid.min[a] = upper ? cell.mid[a] : cell.min[a];
                kid.max[a] = upper ? cell.max[a] : cell.mid[a];
            }
            auto& tris = arrays_.emplace_back();
            std::copy_if(cell.tris, cell.tris + cell.count, std::back_inserter(tris),
                         [&kid](const TRIANGLE* t) { return rt_tri_clip(*t, kid) != 0; });
            kid.tris = tris.data();
            kid.count = static_cast<int32_t>(tris.size());
        }
        cell.kids = block.data();
        cell.leaf = 0;
        cell.count = 0;
        cell.tris = nullptr;
    }

    CELL root_{};
    std::deque<std::array<CELL, 8>> blocks_;
    std::deque<std::vector<const TRIANGLE*>> arrays_;
};

void expect_same_as_list_walk(const std::vector<Corners>& corners, int min_depth) {
    CellFrame frame(corners);
    frame.build();
    const ListWalkTree reference(scene_cell, frame.scene().settings);
    EXPECT_EQ(tree_difference(scene_cell, reference.root(), "root"), "");
    const std::vector<const CELL*> cells = cells_of(scene_cell);
    const auto by_level = [](const CELL* a, const CELL* b) { return a->level < b->level; };
    EXPECT_GE((*std::max_element(cells.begin(), cells.end(), by_level))->level, min_depth);
}

// Clusters of small triangles around random centres: deep, uneven trees.
std::vector<Corners> clustered(std::mt19937& rng, int clusters, int per_cluster) {
    std::vector<Corners> out;
    std::uniform_real_distribution<double> where(0.0, 100.0);
    std::normal_distribution<double> spread(0.0, 0.5);
    for (int c = 0; c < clusters; ++c) {
        const V3D centre{where(rng), where(rng), where(rng)};
        for (int k = 0; k < per_cluster; ++k) {
            const V3D p{centre.x + spread(rng), centre.y + spread(rng), centre.z + spread(rng)};
            out.push_back({p, {p.x + 0.05 * spread(rng), p.y + 0.05, p.z}, {p.x, p.y + 0.05 * spread(rng), p.z + 0.05}});
        }
    }
    return out;
}

// n tiny triangles packed around one point, far from every split plane down to
// level 10, plus two corner triangles fixing the box [0, 1]^3.
std::vector<Corners> tight_cluster(int n) {
    std::vector<Corners> out = {tiny_at({0, 0, 0}, 1e-3), {{1, 1, 1}, {0.999, 1, 1}, {1, 0.999, 1}}};
    for (int k = 0; k < n; ++k) out.push_back(tiny_at({0.3183 + 1e-7 * k, 0.2718 + 1e-7 * k, 0.1414}, 1e-7));
    return out;
}

TEST(TreeEquality, ClusteredMixedAndNonFiniteScenes) {
    // Exactly the level-9 threshold: level-10 cells are never divided.
    expect_same_as_list_walk(tight_cluster(94), 10);
    std::mt19937 rng(11);
    for (int scene = 0; scene < 4; ++scene) expect_same_as_list_walk(clustered(rng, 6, 150 + 50 * scene), 6);
    for (int scene = 0; scene < 3; ++scene) {  // large and small triangles mixed
        std::vector<Corners> corners = random_triangles(rng, 600, 50.0, 2.0);
        const std::vector<Corners> big = random_triangles(rng, 40, 50.0, 60.0);
        corners.insert(corners.end(), big.begin(), big.end());
        expect_same_as_list_walk(corners, 3);
    }
    std::vector<Corners> corners = clustered(rng, 3, 120);
    corners[5].b.y = corners[9].c.x = std::numeric_limits<double>::quiet_NaN();
    expect_same_as_list_walk(corners, 3);
}

// Triangles on a dyadic grid inside [0, 64]^3, and every other one moved flat
// onto a split plane or a grown face (mid and mid -+ the children's tolerance)
// of the first build's tree: triangles lie in those planes or end exactly on
// them, where a clip stage keeps or drops a vertex by an exact zero.
TEST(TreeEquality, TrianglesOnSplitPlanesAndGrownFaces) {
    std::mt19937 rng(13);
    for (int scene = 0; scene < 3; ++scene) {
        std::vector<Corners> corners = random_triangles(rng, 900, 64.0, 6.0, 1.0 / 64);
        for (Corners& c : corners)
            for (V3D* v : {&c.a, &c.b, &c.c}) *v = {std::clamp(v->x, 0.0, 64.0), std::clamp(v->y, 0.0, 64.0), std::clamp(v->z, 0.0, 64.0)};
        corners.push_back({{0, 0, 0}, {0, 0.5, 0}, {0.5, 0, 0}});
        corners.push_back({{64, 64, 64}, {64, 63.5, 64}, {63.5, 64, 64}});
        std::vector<double> planes[3];
        {
            CellFrame first(corners);
            first.build();
            for (const CELL* c : cells_of(scene_cell)) {
                if (c->leaf) continue;
                const double tau = cell_tolerance[c->level + 1];
                for (int a = 0; a < 3; ++a) planes[a].insert(planes[a].end(), {c->mid[a], c->mid[a] - tau, c->mid[a] + tau});
            }
        }
        for (std::size_t k = 0; k + 2 < corners.size(); k += 2) {
            const int axis = static_cast<int>(k / 2 % 3);
            const double at = planes[axis][rng() % planes[axis].size()];
            Corners& c = corners[k];
            for (V3D* v : {&c.a, &c.b, &c.c}) (axis == 0 ? v->x : axis == 1 ? v->y : v->z) = at;
        }
        expect_same_as_list_walk(corners, 3);
    }
}

// Walks both trees; the only difference allowed is a cell that stayed a leaf
// where the full tree divides it. Such a cell keeps every triangle its children
// would have had, in order. Returns the number of such cells, -1 on any other
// difference.
int undivided_cells(const CELL& partial, const CELL& full) {
    if (partial.leaf && !full.leaf) {
        if (partial.level != full.level || std::memcmp(partial.min, full.min, sizeof full.min) != 0 ||
            std::memcmp(partial.max, full.max, sizeof full.max) != 0)
            return -1;
        for (const CELL& kid : full.children())
            for (int32_t k = 0; k < kid.count; ++k)
                if (!std::binary_search(partial.tris, partial.tris + partial.count, kid.tris[k])) return -1;
        return std::is_sorted(partial.tris, partial.tris + partial.count) ? 1 : -1;
    }
    if (!tree_difference(partial, full, "", false).empty()) return -1;
    int total = 0;
    for (int i = 0; i < 8 && !partial.leaf; ++i) {
        const int n = undivided_cells(*partial.child(i), *full.child(i));
        if (n < 0) return -1;
        total += n;
    }
    return total;
}

TEST(CellMemory, FailedDivisionLeavesOneCellUndividedAndSearchStillExact) {
    std::mt19937 rng(21);
    CellFrame frame(clustered(rng, 3, 200));
    frame.build();
    const CELL full = scene_cell;  // its blocks live until the frame ends
    const std::vector<const CELL*> cells = cells_of(full);
    ASSERT_GT(cells.size(), 100u);
    // Allocation 0 is the root's array; then the scratch, a block per divided
    // cell and an array per other non-empty cell.
    long allocations = 2;
    for (const CELL* c : cells) allocations += c->leaf == 0 || (c != cells.front() && c->count > 0);
    std::uniform_real_distribution<double> coord(-10.0, 110.0), dir(-1.0, 1.0);
    for (long failing : {1L, 2L, 3L, 10L, 40L, allocations / 2, allocations - 1}) {
        memoire_fail_after(failing);
        frame.build();
        memoire_fail_after(-1);
        EXPECT_EQ(undivided_cells(scene_cell, full), 1) << failing;
        for (int r = 0; r < 300; ++r) {
            const Scene scene = frame.scene();
            RT_RAY ray = ray_from(scene, {coord(rng), coord(rng), coord(rng)}, {dir(rng), dir(rng), dir(rng)});
            const PlainHit plain = plain_nearest(scene, ray, nullptr);
            V3D hit;
            double t;
            const TRIANGLE* found = rt_find_tri(scene, ray, nullptr, hit, t);
            if (plain.generic) {
                EXPECT_EQ(found, plain.tri) << failing << " ray " << r;
            }
        }
    }
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
    EXPECT_GT(cells_of(scene_cell).size(), 1000u);
}

}  // namespace
}  // namespace zy::test
