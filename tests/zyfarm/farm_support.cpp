#include "zyfarm/farm_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "scene/rt_var.h"
#include "writer/generated_scenes.h"

namespace zy::test {

namespace {

constexpr const char* kTextureName = "STRIPES.IIM";

writer::TextureFile stripes() {
    writer::TextureFile t;
    t.header = {4, 0, 8, 8};  // 24-bit colour
    for (int i = 0; i < 64; ++i) {
        const bool light = (i / 2) % 2 == 0;
        t.pixels.insert(t.pixels.end(), {static_cast<uint8_t>(light ? 240 : 30), static_cast<uint8_t>(i * 4),
                                         static_cast<uint8_t>(light ? 60 : 200)});
    }
    return t;
}

RT_SRF textured_wall() {
    RT_SRF s{};
    for (auto& m : s.mat) m.color[0] = m.color[1] = m.color[2] = 255;  // the pixels tint white
    s.mat[0].ambient = s.mat[1].ambient = 40;
    s.mat[0].diffuse = s.mat[1].diffuse = 60;
    s.srf_flags = kSrfImage;  // image 0, flat
    s.img_arg = 90.0f;
    return s;
}

}  // namespace

std::string quoted(const std::string& word) {
    std::string out = "'";
    for (char c : word) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

writer::Scene farm_scene(int16_t frames, int16_t width, int16_t height) {
    writer::Scene scene = writer::mesh_on_floor_scene(4, 8, width, height, frames);
    RT_INF& inf = scene.settings.inf;
    inf.options = 1;  // autosave
    inf.flags |= 16;  // clouds
    inf.wave_period = 4;
    inf.floor_bump_type = 6;  // animated waves
    inf.floor_bump_depth = 0.4f;
    inf.floor_bump_scale = 0.5f;
    RT_SRF& ball = scene.settings.surfaces[0];
    ball.ptrn_type = 1;  // marble
    ball.ptrn_scale = 0.2f;
    ball.mat[1].color[0] = 50, ball.mat[1].color[1] = 40, ball.mat[1].color[2] = 150;
    ball.bump_type = 6;
    ball.bump_depth = 0.3f;
    ball.bump_scale = 0.3f;
    scene.settings.surfaces.push_back(textured_wall());
    scene.settings.texture_names = {kTextureName};
    scene.settings.object_sizes.push_back(2);
    for (auto& frame : scene.frames) {
        // Far enough back to see the wall and the floor around the ball.
        frame.cam.eye = {frame.cam.eye.x * 2.2f, frame.cam.eye.y * 1.5f, frame.cam.eye.z * 2.2f};
        // Image matrix: four texture pixels a unit on the wall.
        std::array<MAT4_64, 3> matrices{};
        for (auto& m : matrices)
            for (int i = 0; i < 4; ++i) m.m[i][i] = 1.0;
        matrices[2].m[0][0] = matrices[2].m[1][1] = matrices[2].m[2][2] = 4.0;
        frame.matrices.push_back(matrices);
        const auto first = static_cast<int32_t>(frame.points.size());
        frame.points.insert(frame.points.end(), {{-3, 0, 3}, {-3, 3, 3}, {3, 3, 3}, {3, 0, 3}});
        for (const auto& corners : {std::array<int32_t, 3>{0, 1, 2}, std::array<int32_t, 3>{0, 2, 3}}) {
            RT_TRI tri{};
            for (int k = 0; k < 3; ++k) tri.vertex[k] = first + corners[static_cast<std::size_t>(k)];
            tri.srf = 1;
            tri.mat_index = 0;
            frame.tris.push_back(tri);
        }
    }
    writer::sync_counts(scene.settings, scene.frames[0]);
    return scene;
}

void write_farm_scene(const fs::path& folder, const writer::Scene& scene) {
    fs::create_directories(folder);
    writer::write_scene(folder, scene);
    writer::write_file(folder / "stripes.iim", writer::texture_file_bytes(stripes()));
}

Pictures pictures_in(const fs::path& folder) {
    Pictures pictures;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".tif") pictures[entry.path().filename().string()] = read_bytes(entry.path());
    return pictures;
}

Pictures reference_pictures(const writer::Scene& scene) {
    TempDir dir;
    write_farm_scene(dir.path(), scene);
    const RunResult run = run_zyray(dir.path());
    EXPECT_EQ(run.output.find("[1]["), std::string::npos) << run.output;
    return pictures_in(dir.path());
}

FarmRun run_zyfarm(const std::vector<std::string>& args) {
    std::string command = quoted(ZY_ZYFARM_PATH);
    for (const auto& a : args) command += ' ' + quoted(a);
    return run_command(command);
}

StopShim::StopShim(int frame, int line, const fs::path& marker) {
    const char* asan = std::getenv("ASAN_OPTIONS");
    saved_asan_ = asan != nullptr ? asan : "";
    setenv("ASAN_OPTIONS", (saved_asan_ + ":verify_asan_link_order=0").c_str(), 1);
    setenv("LD_PRELOAD", ZY_STOP_AT_PATH, 1);
    setenv("ZY_STOP_AT_BREAK", (std::to_string(frame) + " " + std::to_string(line)).c_str(), 1);
    setenv("ZY_STOP_ONCE", marker.c_str(), 1);
}

StopShim::~StopShim() {
    for (const char* name : {"LD_PRELOAD", "ZY_STOP_AT_BREAK", "ZY_STOP_ONCE"}) unsetenv(name);
    setenv("ASAN_OPTIONS", saved_asan_.c_str(), 1);
}

char process_state(const std::string& pid) {
    std::string line;
    std::getline(std::ifstream("/proc/" + pid + "/stat"), line);
    const auto close = line.rfind(')');  // the name in brackets may hold spaces
    return close != std::string::npos && line.size() > close + 2 ? line[close + 2] : '\0';
}

std::string wait_for_stopped(const fs::path& marker) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
        std::string pid;
        std::ifstream(marker) >> pid;
        if (!pid.empty() && process_state(pid) == 'T') return pid;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return "";
}

}  // namespace zy::test
