#include "writer/generated_scenes.h"

#include <array>
#include <cmath>

#include "geometry/xmath.h"

namespace zy::writer {

namespace {

RT_MAT_BLOCK block(uint8_t r, uint8_t g, uint8_t b, uint8_t ambient, uint8_t diffuse, uint8_t specular,
                   uint8_t reflect) {
    return {{r, g, b}, 0, ambient, diffuse, specular, 20, reflect, 0, 0, 0};
}

RT_LIGHT light(V3S pos, uint8_t level) {
    RT_LIGHT l{};
    l.color[0] = l.color[1] = l.color[2] = level;
    l.kind = 0;
    l.pos = pos;
    return l;
}

V3I normal_of(double x, double y, double z) {
    const double len = std::sqrt(x * x + y * y + z * z);
    return {static_cast<int16_t>(30000 * x / len), static_cast<int16_t>(30000 * y / len),
            static_cast<int16_t>(30000 * z / len)};
}

// A unit ball with a gentle ripple, centred 1 unit above the floor.
void add_ball(FrameBlock& frame, int rings, int segments) {
    std::vector<V3I> normals;
    for (int r = 0; r <= rings; ++r) {
        const double theta = kPi * r / rings;
        for (int s = 0; s < segments; ++s) {
            const double phi = 2 * kPi * s / segments;
            const double radius = 1.0 + 0.05 * std::sin(5 * phi) * std::sin(3 * theta);
            const double x = std::sin(theta) * std::cos(phi), y = std::cos(theta), z = std::sin(theta) * std::sin(phi);
            frame.points.push_back({static_cast<float>(radius * x), static_cast<float>(1.0 + radius * y),
                                    static_cast<float>(radius * z)});
            normals.push_back(normal_of(x, y, z));
        }
    }
    const auto index = [segments](int r, int s) { return r * segments + (s % segments); };
    for (int r = 0; r < rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            const int quad[4] = {index(r, s), index(r, s + 1), index(r + 1, s + 1), index(r + 1, s)};
            for (const auto& corners : {std::array<int, 3>{quad[0], quad[1], quad[2]},
                                        std::array<int, 3>{quad[0], quad[2], quad[3]}}) {
                RT_TRI t{};
                for (int k = 0; k < 3; ++k) {
                    t.vertex[k] = corners[static_cast<std::size_t>(k)];
                    t.normal[k] = normals[static_cast<std::size_t>(t.vertex[k])];
                }
                t.srf = 0;
                t.mat_index = -1;
                t.smooth = 1;
                frame.tris.push_back(t);
            }
        }
    }
}

}  // namespace

Scene mesh_on_floor_scene(int rings, int segments, int16_t width, int16_t height, int16_t frames) {
    Scene scene;
    scene.shade.scene = "BALL";
    RT_INF& inf = scene.settings.inf;
    inf = default_settings();
    inf.res_x = width;
    inf.res_y = height;
    inf.aa_level = 1;
    inf.max_depth = 3;
    inf.flags = 1 | 4 | 8;  // reflections, lights, floor
    inf.sky_height = 30;
    inf.sky_color1[0] = 90, inf.sky_color1[1] = 140, inf.sky_color1[2] = 240;
    inf.sky_color2[0] = 140, inf.sky_color2[1] = 180, inf.sky_color2[2] = 240;
    inf.sky_color3[0] = 220, inf.sky_color3[1] = 220, inf.sky_color3[2] = 230;
    inf.ambient_color[0] = inf.ambient_color[1] = inf.ambient_color[2] = 255;
    inf.floor_mat[0] = block(215, 215, 215, 10, 70, 0, 30);
    inf.floor_mat[1] = block(90, 90, 90, 10, 70, 0, 30);
    inf.floor_ptrn_type = 28;  // checkered
    inf.floor_ptrn_scale = 0.25f;
    inf.frame_count = frames;

    RT_SRF ball{};
    ball.mat[0] = ball.mat[1] = block(204, 184, 158, 10, 70, 50, 20);
    scene.settings.surfaces.push_back(ball);

    for (int16_t f = 0; f < frames; ++f) {
        FrameBlock frame;
        const double angle = 0.2 * f;
        frame.cam.eye = {static_cast<float>(2.5 * std::sin(angle)), 1.6f, static_cast<float>(-2.5 * std::cos(angle))};
        frame.cam.look_at = {0, 0.8f, 0};
        frame.cam.sky = {0, 1, 0};
        frame.cam.fov = 45.0;
        frame.lights = {light({-3, 5, -4}, 204), light({4, 4, -3}, 153)};
        add_ball(frame, rings, segments);
        scene.frames.push_back(frame);
    }
    scene.settings.object_sizes.push_back(static_cast<int32_t>(scene.frames[0].tris.size()));
    sync_counts(scene.settings, scene.frames[0]);
    return scene;
}

}  // namespace zy::writer
