// Scenes built in memory and written with the scene writer; shared by the
// loader, renderer and whole-program tests.
#pragma once

#include <cstdint>
#include <filesystem>

#include "scene/rt_var.h"
#include "support/test_support.h"
#include "writer/scene_writer.h"

namespace zy::test {

/// A material block of colour bytes and percentages.
inline RT_MAT_BLOCK material(uint8_t r, uint8_t g, uint8_t b, uint8_t ambient, uint8_t diffuse = 0,
                             uint8_t transp = 0) {
    return {{r, g, b}, 0, ambient, diffuse, 0, 0, 0, transp, 0, 0};
}

/// A surface whose two materials are m.
inline RT_SRF surface_of(const RT_MAT_BLOCK& m, uint8_t srf_flags = 0) {
    return {{m, m}, 0, 0, 0, 0, 0, 0, 0, 0, 0, srf_flags, {}};
}

/// One frame, one camera (eye at (0, 0, -10) looking at the origin, fov 45),
/// white ambient light, a 4 x 2 picture, no switches on; surfaces, triangles
/// and lights are added.
class SceneBuilder {
public:
    SceneBuilder() {
        scene_.shade.scene = "TEST";
        scene_.settings.inf = writer::default_settings();
        RT_INF& inf = scene_.settings.inf;
        inf.ambient_color[0] = inf.ambient_color[1] = inf.ambient_color[2] = 255;
        writer::FrameBlock frame;
        frame.cam.eye = {0, 0, -10};
        frame.cam.sky = {0, 1, 0};
        frame.cam.fov = 45.0;
        scene_.frames.push_back(frame);
    }

    RT_INF& settings() { return scene_.settings.inf; }
    writer::FrameBlock& frame() { return scene_.frames[0]; }
    writer::Scene& scene() { return scene_; }

    int16_t surface(const RT_SRF& srf) {
        scene_.settings.surfaces.push_back(srf);
        return static_cast<int16_t>(scene_.settings.surfaces.size() - 1);
    }

    /// One object of one flat triangle a, b, c (normal (b - a) x (c - a)).
    void triangle(V3S a, V3S b, V3S c, int16_t srf) {
        const int32_t first = static_cast<int32_t>(frame().points.size());
        frame().points.insert(frame().points.end(), {a, b, c});
        RT_TRI t{};
        for (int k = 0; k < 3; ++k) t.vertex[k] = first + k;
        t.srf = srf;
        t.mat_index = -1;
        frame().tris.push_back(t);
        scene_.settings.object_sizes.push_back(1);
    }

    /// A light of colour (r, g, b); visible as a sphere when radius > 0.
    void light(V3S pos, uint8_t r, uint8_t g, uint8_t b, float radius = 0) {
        frame().lights.push_back({{r, g, b}, 0, pos, {}, radius, 0, 0, 0, {}});
    }

    /// Adds a set of identity pattern, bump and image matrices; returns its index.
    int8_t identity_matrices() {
        MAT4_64 one{};
        for (int i = 0; i < 4; ++i) one.m[i][i] = 1.0;
        frame().matrices.push_back({one, one, one});
        return static_cast<int8_t>(frame().matrices.size() - 1);
    }

    /// Sets the counts of the settings from the first frame.
    writer::Scene& synced() {
        writer::sync_counts(scene_.settings, frame());
        return scene_;
    }
    void write(const std::filesystem::path& folder) { writer::write_scene(folder, synced()); }

private:
    writer::Scene scene_;
};

/// A small valid scene: one surface of colour (200, 100, 50) and full ambient,
/// one triangle of it in front of the camera.
inline writer::Scene small_scene() {
    SceneBuilder b;
    b.triangle({-5, -5, 0}, {5, -5, 0}, {0, 5, 0}, b.surface(surface_of(material(200, 100, 50, 100))));
    return b.synced();
}

/// The linear colour of a colour byte, the way the loaders read it.
inline double linear(uint8_t byte) { return byte / kByteScale; }

}  // namespace zy::test
