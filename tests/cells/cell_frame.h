// Frames held in memory for the cell tests: triangles completed by the real
// triangle set-up, the tree built as the frame loop builds it, a trace state
// sized for the frame, and a plain loop over all triangles as the oracle.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "cells/search.h"
#include "driver/memoire.h"
#include "driver/program_state.h"
#include "support/scene_records.h"
#include "support/test_support.h"

namespace zy::test {

/// Three corners of a triangle.
struct Corners {
    V3D a, b, c;
};

/// A tiny triangle with its first corner at p.
inline Corners tiny_at(const V3D& p, double size = 0.01) { return {p, {p.x + size, p.y, p.z}, {p.x, p.y + size, p.z}}; }

/// A small triangle at the corner (8, 8, 8), which with one at the origin fixes the box [0, 8]^3.
inline const Corners kFarCorner{{8, 8, 8}, {7.99, 8, 8}, {8, 7.99, 8}};

class CellFrame {
public:
    explicit CellFrame(const std::vector<Corners>& corners) : tris_(corners.size()) {
        for (const Corners& c : corners) points_.insert(points_.end(), {c.a, c.b, c.c});
        RT_VAR& settings = records_.settings;
        settings.n_pnt = static_cast<int32_t>(points_.size());
        settings.n_tri = static_cast<int32_t>(tris_.size());
        settings.points = points_.data();
        settings.tris = tris_.data();
        for (std::size_t k = 0; k < tris_.size(); ++k) {
            TRIANGLE& t = tris_[k];
            t.flags = kTriFlat;
            t.mat_index = -1;
            for (std::size_t i = 0; i < 3; ++i) {
                t.v[i] = &points_[3 * k + i];
                t.vn[i] = {0, 30000, 0};
            }
            rt_tri_init(t);
        }
        ts_.prepare_for_frame();
        rt_cell_init_tht(12, 4.0);
    }
    CellFrame(const CellFrame&) = delete;
    CellFrame& operator=(const CellFrame&) = delete;

    /// Builds the tree of the frame (per-frame memory, as in the frame loop).
    void build() {
        set_block_mark(1);
        rt_preprocess(records_.settings);
    }
    /// The frame with the tree that build() made.
    Scene scene() const {
        return {records_.settings, records_.floor, records_.floor_radius_sqr, scene_cell, cell_tolerance, scene_t,
                scene_filled};
    }
    /// The frame's records; their root, tolerances and step hold a tree made by hand.
    SceneRecords& records() { return records_; }
    /// Turns the floor on at height fy with radius r.
    void set_floor(double fy, double r) {
        records_.settings.floor_on = 1;
        records_.floor_crd[0] = {-r, fy, -r};
        records_.floor_radius_sqr = r * r;
    }
    const TRIANGLE* floor() const { return &records_.floor; }

    const TRIANGLE* tri(int i) const { return &tris_[static_cast<std::size_t>(i)]; }
    int index_of(const TRIANGLE* t) const { return static_cast<int>(t - tris_.data()); }
    int size() const { return static_cast<int>(tris_.size()); }
    TraceState& trace() { return ts_; }

private:
    InProcess process_;
    SceneRecords records_;
    std::vector<V3D> points_;
    std::vector<TRIANGLE> tris_;
    TraceState ts_;
};

/// A ray with origin and direction, prepared for a search.
inline RT_RAY ray_from(const Scene& scene, const V3D& org, const V3D& dir) {
    RT_RAY ray{};
    ray.org = org;
    ray.dir = dir;
    rt_ray_init(scene, ray);
    return ray;
}

/// What the plain loop over all triangles (and the floor) finds for a prepared
/// ray: the nearest hit, and whether the case is generic enough for an exact
/// comparison. It is not when two hits lie within 1e-9, when a plane hit lies
/// within 1e-9 of a triangle's edge, or when the nearest hit lies near an edge
/// of its leaf, where a walk step may cut a corner.
struct PlainHit {
    const TRIANGLE* tri = nullptr;
    double t = kFltMax;
    bool generic = true;
};

inline PlainHit plain_nearest(const Scene& scene, const RT_RAY& ray, const TRIANGLE* exclude) {
    constexpr double kGap = 1e-9;
    PlainHit best;
    double second_t = kFltMax;
    const auto offer = [&](const TRIANGLE* tri, double t) {
        if (t < best.t) {
            second_t = best.t;
            best.t = t;
            best.tri = tri;
        } else {
            second_t = std::min(second_t, t);
        }
    };
    const auto at = [&](double t) { return V3D{ray.org.x + t * ray.dir.x, ray.org.y + t * ray.dir.y, ray.org.z + t * ray.dir.z}; };
    for (int32_t k = 0; k < scene.settings.n_tri; ++k) {
        const TRIANGLE& tri = scene.settings.tris[k];
        const double den = v3d_scal(ray.dir, tri.nrm);
        if (&tri == exclude || den == 0) continue;
        const double t = (tri.d - v3d_scal(ray.org, tri.nrm)) / den;
        if (!(t > kFltEpsilon) || !(t < kFltMax)) continue;
        bool inside = true;
        for (int i = 0; i < 3; ++i) {
            const double a = v3d_scal(tri.en[i], at(t)) - tri.ec[i];
            inside = inside && a >= 0;
            if (std::fabs(a) / v3d_len(tri.en[i]) < kGap) best.generic = false;
        }
        if (inside) offer(&tri, t);
    }
    if (scene.settings.floor_on && exclude != &scene.floor) {
        const double t = (scene.floor_height() - ray.org.y) / ray.dir.y;
        const V3D p = at(t);
        if (t > kFltEpsilon && t < kFltMax && p.z * p.z + p.x * p.x <= scene.floor_radius_sqr) offer(&scene.floor, t);
    }
    if (second_t < kFltMax && second_t - best.t < kGap * std::max(1.0, best.t)) best.generic = false;
    if (best.tri != nullptr && best.tri != &scene.floor) {
        const V3D p = at(best.t);
        const double c[3] = {p.x, p.y, p.z};
        const CELL* leaf = rt_find_cell(scene, p);
        const double step = scene.step;
        int near_faces = 0;
        for (int a = 0; leaf != nullptr && a < 3; ++a)
            near_faces += std::fabs(c[a] - leaf->min[a]) < 2 * step || std::fabs(leaf->max[a] - c[a]) < 2 * step;
        if (near_faces >= 2) best.generic = false;
    }
    return best;
}

/// Random triangles: n of them with corners around centres spread in [0, extent]^3,
/// edges up to size; snap > 0 rounds every coordinate to a multiple of snap.
inline std::vector<Corners> random_triangles(std::mt19937& rng, int n, double extent, double size, double snap = 0.0) {
    std::uniform_real_distribution<double> centre(0.0, extent), offset(-size / 2, size / 2);
    auto snapped = [snap](double v) { return snap > 0 ? std::round(v / snap) * snap : v; };
    std::vector<Corners> out;
    for (int k = 0; k < n; ++k) {
        const V3D c{centre(rng), centre(rng), centre(rng)};
        V3D corner[3];
        for (V3D& v : corner) v = {snapped(c.x + offset(rng)), snapped(c.y + offset(rng)), snapped(c.z + offset(rng))};
        out.push_back({corner[0], corner[1], corner[2]});
    }
    return out;
}

/// Every cell of the tree under root, root first.
inline std::vector<const CELL*> cells_of(const CELL& root) {
    std::vector<const CELL*> out{&root};
    for (std::size_t i = 0; i < out.size(); ++i)
        for (int k = 0; k < 8 && !out[i]->leaf; ++k) out.push_back(out[i]->child(k));
    return out;
}

/// A leaf spanning [lo, hi]^3 that holds count triangles.
inline CELL cube_leaf(double lo, double hi, const TRIANGLE** tris = nullptr, int32_t count = 0) {
    CELL cell{};
    cell.leaf = 1;
    std::fill_n(cell.min, 3, lo);
    std::fill_n(cell.max, 3, hi);
    cell.tris = tris;
    cell.count = count;
    return cell;
}

/// The first difference between two trees (boxes, splits, references in
/// order), empty when equal; deep = false compares the cells alone.
inline std::string tree_difference(const CELL& a, const CELL& b, const std::string& path, bool deep = true) {
    const auto same = [](const double* x, const double* y) { return std::memcmp(x, y, 3 * sizeof(double)) == 0; };
    if (a.leaf != b.leaf || a.count != b.count)
        return path + ": count " + std::to_string(a.count) + "/" + std::to_string(b.count);
    if (a.level != b.level || !same(a.min, b.min) || !same(a.max, b.max)) return path + ": box";
    if (!a.leaf && !same(a.mid, b.mid)) return path + ": mid";
    if (!std::equal(a.tris, a.tris + a.count, b.tris)) return path + ": triangles";
    for (int i = 0; i < 8 && deep && !a.leaf; ++i) {
        std::string d = tree_difference(*a.child(i), *b.child(i), path + "/" + std::to_string(i));
        if (!d.empty()) return d;
    }
    return "";
}

}  // namespace zy::test
