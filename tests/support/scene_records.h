// A scene a test builds for itself: its own settings record, floor, octree
// root, tolerances and walk step, which the renderer reads through scene().
#pragma once

#include <limits>

#include "cells/cells.h"
#include "scene/scene.h"

namespace zy::test {

struct SceneRecords {
    /// An empty frame: no floor, and a root box that holds no point.
    SceneRecords() {
        for (int i = 0; i < 3; ++i) {
            floor.v[i] = &floor_crd[i];
            root.min[i] = 1;
        }
        root.leaf = 1;
    }
    SceneRecords(const SceneRecords&) = delete;
    SceneRecords& operator=(const SceneRecords&) = delete;

    Scene scene() const { return {settings, floor, floor_radius_sqr, root, cell_tolerance, step, filled}; }

    RT_VAR settings{};
    V3D floor_crd[3]{};
    TRIANGLE floor{};
    double floor_radius_sqr = 0.0;
    CELL root{};
    double cell_tolerance[11]{};
    double step = 0.0;
    /// Everywhere: the walk of a tree made by hand never ends early.
    FilledBox filled{{-kInf, -kInf, -kInf}, {kInf, kInf, kInf}};

private:
    static constexpr double kInf = std::numeric_limits<double>::infinity();
};

}  // namespace zy::test
