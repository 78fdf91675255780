#include "cell_frame.h"

#include <algorithm>
#include <cmath>

#include "driver/program_state.h"
#include "geometry/floor.h"

namespace zy::test {

Corners tiny_at(const V3D& p, double size) {
    return {p, {p.x + size, p.y, p.z}, {p.x, p.y + size, p.z}};
}

CellFrame::CellFrame(const std::vector<Corners>& corners) {
    const std::size_t n = corners.size();
    points_.reserve(3 * n);
    for (const Corners& c : corners) {
        points_.push_back(c.a);
        points_.push_back(c.b);
        points_.push_back(c.c);
    }
    tris_.assign(n, TRIANGLE{});
    rt_var.n_srf = 0;
    rt_var.n_pnt = static_cast<int32_t>(points_.size());
    rt_var.n_tri = static_cast<int32_t>(n);
    rt_var.points = points_.data();
    rt_var.tris = tris_.data();
    for (std::size_t k = 0; k < n; ++k) {
        TRIANGLE& t = tris_[k];
        t.flags = kTriFlat;
        t.mat_index = -1;
        for (int i = 0; i < 3; ++i) {
            t.v[i] = &points_[3 * k + static_cast<std::size_t>(i)];
            t.vn[i] = {0, 1, 0};
        }
        rt_tri_init(t);
    }
    ts_.prepare_for_frame();
    rt_cell_init_tht(12, 4.0);
}

void CellFrame::build() {
    flag_temporaire = 1;
    rt_preprocess();
}

void CellFrame::set_floor(double fy, double r) {
    rt_var.floor_on = 1;
    floor_crd[0] = {-r, fy, -r};
    floor_radius_sqr = r * r;
}

RT_RAY ray_from(TraceState& ts, const V3D& org, const V3D& dir) {
    RT_RAY ray{};
    ray.org = org;
    ray.dir = dir;
    rt_ray_init(ts, ray);
    return ray;
}

namespace {

// True when p lies within margin of two different faces of the cell: a ray
// passing there may cross the cell in less than one walk step and skip it.
bool near_cell_edge(const CELL& cell, const V3D& p, double margin) {
    const double c[3] = {p.x, p.y, p.z};
    int near_faces = 0;
    for (int a = 0; a < 3; ++a) {
        if (std::fabs(c[a] - cell.min[a]) < margin || std::fabs(cell.max[a] - c[a]) < margin) ++near_faces;
    }
    return near_faces >= 2;
}

}  // namespace

PlainHit plain_nearest(const RT_RAY& ray, const TRIANGLE* exclude) {
    constexpr double kTieGap = 1e-9;
    constexpr double kGrazeGap = 1e-9;
    PlainHit best;
    double second_t = kFltMax;
    for (int32_t k = 0; k < rt_var.n_tri; ++k) {
        const TRIANGLE& tri = rt_var.tris[k];
        if (&tri == exclude) continue;
        const double den = v3d_scal(ray.dir, tri.nrm);
        if (den == 0) continue;
        const double t = (tri.d - v3d_scal(ray.org, tri.nrm)) / den;
        if (!(t > kFltEpsilon) || !(t < kFltMax)) continue;
        const V3D p{ray.org.x + t * ray.dir.x, ray.org.y + t * ray.dir.y, ray.org.z + t * ray.dir.z};
        double nearest_edge = kFltMax;
        bool inside = true;
        for (int i = 0; i < 3; ++i) {
            const double a = v3d_scal(tri.en[i], p) - tri.ec[i];
            inside = inside && a >= 0;
            nearest_edge = std::min(nearest_edge, std::fabs(a) / v3d_len(tri.en[i]));
        }
        if (nearest_edge < kGrazeGap) best.generic = false;
        if (!inside) continue;
        if (t < best.t) {
            second_t = best.t;
            best.t = t;
            best.tri = &tri;
        } else if (t < second_t) {
            second_t = t;
        }
    }
    if (rt_var.floor_on && exclude != &floor_tri) {
        const double fy = floor_height();
        const double t = (fy - ray.org.y) / ray.dir.y;
        const double hx = ray.org.x + t * ray.dir.x, hz = ray.org.z + t * ray.dir.z;
        if (t > kFltEpsilon && t < kFltMax && hz * hz + hx * hx <= floor_radius_sqr) {
            if (t < best.t) {
                second_t = best.t;
                best.t = t;
                best.tri = &floor_tri;
            } else if (t < second_t) {
                second_t = t;
            }
        }
    }
    if (second_t < kFltMax && second_t - best.t < kTieGap * std::max(1.0, best.t)) best.generic = false;
    if (best.tri != nullptr && best.tri != &floor_tri) {
        const V3D p{ray.org.x + best.t * ray.dir.x, ray.org.y + best.t * ray.dir.y, ray.org.z + best.t * ray.dir.z};
        const CELL* leaf = rt_find_cell(p);
        if (leaf != nullptr && near_cell_edge(*leaf, p, 2 * scene_t)) best.generic = false;
    }
    return best;
}

std::vector<Corners> random_triangles(std::mt19937& rng, int n, double extent, double size, double snap) {
    std::uniform_real_distribution<double> centre(0.0, extent);
    std::uniform_real_distribution<double> offset(-size / 2, size / 2);
    auto snapped = [snap](double v) { return snap > 0 ? std::round(v / snap) * snap : v; };
    std::vector<Corners> out;
    out.reserve(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) {
        const V3D c{centre(rng), centre(rng), centre(rng)};
        V3D corner[3];
        for (V3D& v : corner) v = {snapped(c.x + offset(rng)), snapped(c.y + offset(rng)), snapped(c.z + offset(rng))};
        out.push_back({corner[0], corner[1], corner[2]});
    }
    return out;
}

void collect_cells(const CELL& cell, std::vector<const CELL*>& out) {
    out.push_back(&cell);
    if (cell.leaf) return;
    for (const CELL* kid : cell.child) collect_cells(*kid, out);
}

}  // namespace zy::test
