// The tree builder against a plain transcription of the division by waiting
// list (always the fullest waiting cell first), and its behaviour when memory
// runs out.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <deque>
#include <limits>
#include <sstream>

#include "cell_frame.h"
#include "driver/memoire.h"

namespace zy::test {
namespace {

// The division as written: a waiting list walked from its head for the largest
// count at every step.
class ListWalkTree {
public:
    /// Builds over the root box and tolerances left by the real build.
    explicit ListWalkTree(const CELL& built_root) {
        root_ = CELL{};
        root_.leaf = 1;
        root_.level = 0;
        std::copy(std::begin(built_root.min), std::end(built_root.min), std::begin(root_.min));
        std::copy(std::begin(built_root.max), std::end(built_root.max), std::begin(root_.max));
        auto& all = arrays_.emplace_back();
        for (int32_t k = 0; k < rt_var.n_tri; ++k) all.push_back(&rt_var.tris[k]);
        root_.tris = all.data();
        root_.count = rt_var.n_tri;
        head_ = &root_;
        search_and_divide();
    }
    const CELL& root() const { return root_; }

private:
    void search_and_divide() {
        for (;;) {
            CELL* selected = nullptr;
            CELL* selected_prev = nullptr;
            CELL* prev = nullptr;
            for (CELL* c = head_; c != nullptr; prev = c, c = c->next) {
                if (selected == nullptr || c->count > selected->count) {
                    selected = c;
                    selected_prev = prev;
                }
            }
            if (selected == nullptr || selected->count <= 0) return;
            divide(selected, selected_prev);
        }
    }

    void unlink(CELL* cell, CELL* prev) { (prev ? prev->next : head_) = cell->next; }

    void divide(CELL* cell, CELL* prev) {
        if (cell->level > 9 || cell->count < cell_threshold_table[cell->level]) {
            unlink(cell, prev);
            return;
        }
        auto& block = blocks_.emplace_back();
        for (int i = 0; i < 8; ++i) {
            block[static_cast<std::size_t>(i)] = CELL{};
            cell->child[i] = &block[static_cast<std::size_t>(i)];
        }
        for (int a = 0; a < 3; ++a) cell->mid[a] = cell->min[a] + (cell->max[a] - cell->min[a]) / 2.0;
        for (int i = 0; i < 8; ++i) {
            double lo[3], hi[3];
            for (int a = 0; a < 3; ++a) {
                const bool upper = (i >> a) & 1;
                lo[a] = upper ? cell->mid[a] : cell->min[a];
                hi[a] = upper ? cell->max[a] : cell->mid[a];
            }
            create(*cell->child[i], *cell, lo, hi);
        }
        cell->leaf = 0;
        cell->count = 0;
        cell->tris = nullptr;
        CELL* last = prev;
        CELL* const after = cell->next;
        for (CELL* kid : cell->child) {
            if (kid->count >= cell_threshold_table[cell->level + 1]) {
                (last ? last->next : head_) = kid;
                last = kid;
            } else {
                kid->next = nullptr;
            }
        }
        (last ? last->next : head_) = after;
    }

    void create(CELL& kid, const CELL& parent, const double* lo, const double* hi) {
        kid.leaf = 1;
        kid.level = static_cast<int8_t>(parent.level + 1);
        std::copy(lo, lo + 3, kid.min);
        std::copy(hi, hi + 3, kid.max);
        auto& tris = arrays_.emplace_back();
        for (int32_t k = 0; k < parent.count; ++k) {
            if (rt_tri_clip(*parent.tris[k], kid)) tris.push_back(parent.tris[k]);
        }
        kid.tris = tris.data();
        kid.count = static_cast<int32_t>(tris.size());
    }

    CELL root_{};
    CELL* head_ = nullptr;
    std::deque<std::array<CELL, 8>> blocks_;
    std::deque<std::vector<const TRIANGLE*>> arrays_;
};

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool same_box(const CELL& a, const CELL& b) {
    for (int ax = 0; ax < 3; ++ax) {
        if (!same_bits(a.min[ax], b.min[ax]) || !same_bits(a.max[ax], b.max[ax])) return false;
    }
    return a.level == b.level;
}

// Difference between two cells, children not included; empty when equal.
std::string node_difference(const CELL& a, const CELL& b, const std::string& path) {
    std::ostringstream out;
    if (a.leaf != b.leaf || a.count != b.count) {
        out << path << ": leaf " << int(a.leaf) << "/" << int(b.leaf) << " count " << a.count << "/" << b.count;
        return out.str();
    }
    if (!same_box(a, b)) return path + ": box";
    for (int ax = 0; ax < 3; ++ax) {
        if (!a.leaf && !same_bits(a.mid[ax], b.mid[ax])) return path + ": mid";
    }
    if (!std::equal(a.tris, a.tris + a.count, b.tris)) return path + ": triangles";
    return "";
}

// First difference between two trees, empty when they are equal.
std::string difference(const CELL& a, const CELL& b, const std::string& path) {
    std::string d = node_difference(a, b, path);
    if (!d.empty() || a.leaf) return d;
    for (int i = 0; i < 8; ++i) {
        d = difference(*a.child[i], *b.child[i], path + "/" + std::to_string(i));
        if (!d.empty()) return d;
    }
    return "";
}

int depth_of(const CELL& cell) {
    if (cell.leaf) return cell.level;
    int deepest = 0;
    for (const CELL* kid : cell.child) deepest = std::max(deepest, depth_of(*kid));
    return deepest;
}

void expect_same_as_list_walk(const std::vector<Corners>& corners, int min_depth) {
    CellFrame frame(corners);
    frame.build();
    const ListWalkTree reference(scene_cell);
    EXPECT_EQ(difference(scene_cell, reference.root(), "root"), "");
    EXPECT_GE(depth_of(scene_cell), min_depth);
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

TEST(TreeEquality, ClusteredScenes) {
    std::mt19937 rng(11);
    for (int scene = 0; scene < 4; ++scene) expect_same_as_list_walk(clustered(rng, 6, 150 + 50 * scene), 6);
}

TEST(TreeEquality, LargeAndSmallTrianglesMixed) {
    std::mt19937 rng(12);
    for (int scene = 0; scene < 3; ++scene) {
        std::vector<Corners> corners = random_triangles(rng, 600, 50.0, 2.0);
        const std::vector<Corners> big = random_triangles(rng, 40, 50.0, 60.0);
        corners.insert(corners.end(), big.begin(), big.end());
        expect_same_as_list_walk(corners, 3);
    }
}

// Split planes and grown faces (mid and mid -+ the children's tolerance) of
// the divided cells of the current tree, per axis.
std::vector<double> boundary_planes(int axis) {
    std::vector<const CELL*> cells;
    collect_cells(scene_cell, cells);
    std::vector<double> planes;
    for (const CELL* c : cells) {
        if (c->leaf) continue;
        const double tau = cell_tolerance[c->level + 1];
        planes.insert(planes.end(), {c->mid[axis], c->mid[axis] - tau, c->mid[axis] + tau});
    }
    return planes;
}

// Triangles on a dyadic grid inside [0, 64]^3, and every other one moved flat
// onto a split plane or a grown face of the first build's tree: triangles lie
// in those planes or end exactly on them, where a clip stage keeps or drops a
// vertex by an exact zero.
TEST(TreeEquality, TrianglesOnSplitPlanesAndGrownFaces) {
    std::mt19937 rng(13);
    for (int scene = 0; scene < 3; ++scene) {
        std::vector<Corners> corners = random_triangles(rng, 900, 64.0, 6.0, 1.0 / 64);
        for (Corners& c : corners) {
            for (V3D* v : {&c.a, &c.b, &c.c}) *v = {std::clamp(v->x, 0.0, 64.0), std::clamp(v->y, 0.0, 64.0), std::clamp(v->z, 0.0, 64.0)};
        }
        corners.push_back({{0, 0, 0}, {0, 0.5, 0}, {0.5, 0, 0}});
        corners.push_back({{64, 64, 64}, {64, 63.5, 64}, {63.5, 64, 64}});
        std::vector<double> planes[3];
        {
            CellFrame first(corners);
            first.build();
            for (int a = 0; a < 3; ++a) planes[a] = boundary_planes(a);
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

TEST(TreeEquality, FrameWithANonFiniteCorner) {
    std::mt19937 rng(14);
    std::vector<Corners> corners = clustered(rng, 3, 120);
    corners[5].b.y = std::numeric_limits<double>::quiet_NaN();
    corners[9].c.x = std::numeric_limits<double>::quiet_NaN();
    expect_same_as_list_walk(corners, 3);
}

// Walks both trees; the only difference allowed is a cell that stayed a leaf
// where the full tree divides it. Such a cell keeps every triangle its children
// would have had, in order. Returns the number of such cells, -1 on any other
// difference.
int undivided_cells(const CELL& partial, const CELL& full) {
    if (partial.leaf && !full.leaf) {
        if (!same_box(partial, full)) return -1;
        for (const CELL* kid : full.child) {
            for (int32_t k = 0; k < kid->count; ++k) {
                if (!std::binary_search(partial.tris, partial.tris + partial.count, kid->tris[k])) return -1;
            }
        }
        return std::is_sorted(partial.tris, partial.tris + partial.count) ? 1 : -1;
    }
    if (!node_difference(partial, full, "").empty()) return -1;
    if (partial.leaf) return 0;
    int total = 0;
    for (int i = 0; i < 8; ++i) {
        const int n = undivided_cells(*partial.child[i], *full.child[i]);
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
    std::vector<const CELL*> cells;
    collect_cells(full, cells);

    std::mt19937 ray_rng(22);
    std::uniform_real_distribution<double> coord(-10.0, 110.0), dir(-1.0, 1.0);
    // Allocation 0 is the root's array; then the scratch, a block per divided
    // cell and an array per other non-empty cell.
    long divided = 0, filled = 0;
    for (const CELL* c : cells) {
        divided += c->leaf == 0;
        filled += c != cells.front() && c->count > 0;
    }
    const long allocations = 2 + divided + filled;
    for (long failing : {1L, 2L, 3L, 10L, 40L, allocations / 2, allocations - 1}) {
        memoire_fail_after(failing);
        frame.build();
        memoire_fail_after(-1);
        EXPECT_EQ(undivided_cells(scene_cell, full), 1) << failing;
        for (int r = 0; r < 300; ++r) {
            RT_RAY ray = ray_from(frame.trace(), {coord(ray_rng), coord(ray_rng), coord(ray_rng)},
                                  {dir(ray_rng), dir(ray_rng), dir(ray_rng)});
            const PlainHit plain = plain_nearest(ray, nullptr);
            V3D hit;
            const TRIANGLE* found = rt_find_tri(frame.trace(), ray, nullptr, hit);
            if (plain.generic) {
                EXPECT_EQ(found, plain.tri) << failing << " ray " << r;
            }
        }
    }
    EXPECT_GT(cells.size(), 100u);
}

}  // namespace
}  // namespace zy::test
