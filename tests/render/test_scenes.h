// Scenes for the renderer's tests, built in memory and written with the scene
// writer; shared by the in-process tests and the whole-program runs.
#pragma once

#include <cstdint>
#include <filesystem>

#include "support/test_support.h"
#include "writer/scene_writer.h"

namespace zy::test {

/// Flag bits of the settings record.
inline constexpr int16_t kReflect = 1, kRefract = 2, kLights = 4, kFloor = 8, kClouds = 16, kFog = 32;

/// A material block of colour bytes and percentages.
inline RT_MAT_BLOCK material(uint8_t r, uint8_t g, uint8_t b, uint8_t ambient, uint8_t diffuse = 0,
                             uint8_t transp = 0) {
    RT_MAT_BLOCK m{};
    m.color[0] = r;
    m.color[1] = g;
    m.color[2] = b;
    m.ambient = ambient;
    m.diffuse = diffuse;
    m.transp = transp;
    return m;
}

/// A surface whose two materials are m.
inline RT_SRF surface_of(const RT_MAT_BLOCK& m, uint8_t srf_flags = 0) {
    RT_SRF s{};
    s.mat[0] = s.mat[1] = m;
    s.srf_flags = srf_flags;
    return s;
}

/// One frame, one camera (eye at (0, 0, -10) looking at the origin, fov 45),
/// white ambient light, no switches on; triangles and lights are added.
class SceneBuilder {
public:
    SceneBuilder() {
        scene_.shade.scene = "TEST";
        scene_.settings.inf = writer::default_settings();
        RT_INF& inf = scene_.settings.inf;
        inf.ambient_color[0] = inf.ambient_color[1] = inf.ambient_color[2] = 255;
        writer::FrameBlock frame;
        frame.cam.eye = {0, 0, -10};
        frame.cam.look_at = {0, 0, 0};
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
        add_tri(first, first + 1, first + 2, srf);
        scene_.settings.object_sizes.push_back(1);
    }

    /// A light of colour (r, g, b); visible as a sphere when radius > 0.
    void light(V3S pos, uint8_t r, uint8_t g, uint8_t b, float radius = 0) {
        RT_LIGHT l{};
        l.color[0] = r;
        l.color[1] = g;
        l.color[2] = b;
        l.pos = pos;
        l.radius = radius;
        frame().lights.push_back(l);
    }

    /// Syncs the counts of every frame with the first and writes the files.
    void write(const std::filesystem::path& folder) {
        for (auto& f : scene_.frames) writer::sync_counts(scene_.settings, f);
        writer::write_scene(folder, scene_);
    }

private:
    void add_tri(int32_t a, int32_t b, int32_t c, int16_t srf) {
        RT_TRI t{};
        t.vertex[0] = a;
        t.vertex[1] = b;
        t.vertex[2] = c;
        t.srf = srf;
        t.mat_index = -1;
        frame().tris.push_back(t);
    }

    writer::Scene scene_;
};

/// The linear colour of a colour byte, the way the loaders read it.
inline double linear(uint8_t byte) { return byte / 254.99999999999997; }

}  // namespace zy::test
