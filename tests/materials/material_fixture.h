// A minimal scene for the material routines: one surface, one triangle that
// refers to it, pov at the origin, optional matrices.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <vector>

#include "materials/materials.h"
#include "materials/noise.h"
#include "support/scene_records.h"

namespace zy::test {

/// Two materials whose eleven values all differ, between each other too.
inline SURFACE two_material_surface() {
    SURFACE s{};
    s.mat[0] = {{0.2, 0.4, 0.6}, 0.01, 0.1, 0.7, 0.3, 8.0, 0.05, 0.15, 1.0003};
    s.mat[1] = {{0.9, 0.5, 0.1}, 0.02, 0.3, 0.4, 0.8, 40.0, 0.25, 0.45, 1.4588};
    s.ptrn_scale = 1.0;
    s.bump_scale = 1.0;
    return s;
}

/// The eleven values of a material in file order.
inline std::array<double, 11> values_of(const MATERIAL& m) {
    return {m.color.r, m.color.g, m.color.b, m.luminous, m.ambient, m.diffuse,
            m.specular, m.spec_exp, m.reflect, m.transp, m.refraction};
}

inline bool same_material(const MATERIAL& a, const MATERIAL& b) { return values_of(a) == values_of(b); }

/// n points spread uniformly over [-range, range]^3.
inline std::vector<V3D> random_points(unsigned seed, int n, double range) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> coord(-range, range);
    std::vector<V3D> points(static_cast<std::size_t>(n));
    for (auto& p : points) p = {coord(rng), coord(rng), coord(rng)};
    return points;
}

class MaterialScene : public ::testing::Test {
protected:
    void SetUp() override {
        rt_noise_preprocess();
        srf = two_material_surface();
        settings.surfaces = &srf;
        for (auto& m : mats)
            for (int i = 0; i < 4; ++i) m.m[i][i] = 1.0;
        settings.ptrn_mat = &mats[0];
        settings.bump_mat = &mats[1];
        settings.img_mat = &mats[2];
        tri.srf_index = 0;
        tri.mat_index = -1;
    }

    /// Material of the surface's pattern at a scene point.
    MATERIAL pattern_at(const V3D& point) {
        MATERIAL out{};
        rt_ptrn_material(records.scene(), tri, point, out);
        return out;
    }

    SceneRecords records;
    RT_VAR& settings = records.settings;
    SURFACE srf{};
    MAT4 mats[3]{};  ///< pattern, bump, image matrix of entry 0
    TRIANGLE tri{};
};

}  // namespace zy::test
