#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "scene/records.h"
#include "writer/generated_scenes.h"
#include "writer/scene_reader.h"

namespace zy {
namespace {

using writer::Bytes;
using Expected = std::initializer_list<std::pair<int, int>>;

// Expects the given (offset, byte) pairs in a record's bytes.
void expect_bytes(const void* record, Expected want, const char* what) {
    const auto* b = static_cast<const uint8_t*>(record);
    for (auto [offset, value] : want) EXPECT_EQ(b[offset], value) << what << " byte " << offset;
}

TEST(Records, SettingsFieldsAreBigEndianAtTheirOffsets) {
    writer::SettingsFile s;
    s.inf.res_x = 0x0102;
    s.inf.sky_height = 0x0304;
    s.inf.fog_distance = 1.0f;  // 0x3F800000
    s.inf.floor_bump_scale = -2.0f;
    s.inf.sky_color2[1] = 0x77;
    s.inf.floor_mat[1].transp = 0x55;
    s.inf.floor_srf_flags = 0x0A;
    s.inf.n_obj = 0x0506;
    s.inf.n_tri = 0x0708090A;
    s.inf.options = 1;
    const Bytes b = writer::settings_file_bytes(s);
    ASSERT_EQ(b.size(), 208u);
    EXPECT_EQ(std::memcmp(b.data(), "RT_INFO ", 8), 0);
    expect_bytes(b.data() + 8,
                 {{82, 1}, {83, 2}, {92, 3}, {93, 4}, {99, 0x77}, {116, 0x3F}, {117, 0x80}, {119, 0}, {128, 0xC0},
                  {161, 0x55}, {167, 0x0A}, {184, 5}, {185, 6}, {192, 7}, {195, 0x0A}, {198, 0}, {199, 1}},
                 "settings");
}

// Each conversion swaps exactly the multi-byte fields, leaves bytes alone, and
// undoes itself.
template <typename Record>
void expect_converted(Record record, void (*translate)(void*), Expected want, const char* what) {
    const Record original = record;
    translate(&record);
    expect_bytes(&record, want, what);
    translate(&record);
    EXPECT_EQ(std::memcmp(&record, &original, sizeof record), 0) << what;
}

TEST(Records, ConversionsSwapExactlyTheMultiByteFields) {
    RT_SRF srf{};
    srf.mat[0].color[0] = 1;
    srf.mat[0].color[1] = 2;
    srf.img_mode = 3;
    srf.ptrn_arg = 4;
    srf.bump_depth = 1.0f;
    srf.srf_flags = 9;
    expect_converted(srf, translate_RT_SRF, {{0, 1}, {1, 2}, {24, 3}, {27, 4}, {36, 0x3F}, {45, 9}}, "surface");
    const RT_CAM cam{{1.0f, 0, 0}, {}, {}, 2.0, {}};  // 2.0 is 0x4000000000000000
    expect_converted(cam, translate_RT_CAM, {{0, 0x3F}, {36, 0x40}, {43, 0}}, "camera");
    const RT_LIGHT light{{0, 0, 200}, -3, {}, {}, 1.0f, 0, 0, 0x0102, {}};
    expect_converted(light, translate_RT_LIGHT, {{2, 200}, {3, 0xFD}, {28, 0x3F}, {36, 1}, {37, 2}}, "light");
    const RT_TRI tri{{0, 0, 0x01020304}, {{}, {0, 30000, 0}, {}}, 0x0A0B, -1, 1, {}};  // 30000 is 0x7530
    expect_converted(tri, translate_RT_TRI, {{8, 1}, {11, 4}, {20, 0x75}, {21, 0x30}, {30, 0x0A}, {32, 0xFF}, {33, 1}},
                     "triangle");
    MAT4_64 m{};
    m.m[3][1] = 2.0;
    expect_converted(m, translate_MAT4_64, {{32 * 3 + 8, 0x40}}, "matrix");
    expect_converted(IIM_HEADER{4, 0, 0x0010, 0x0200}, translate_IIM_HEADER, {{1, 4}, {5, 0x10}, {6, 2}}, "image");
}

// What the reader gives back writes the same bytes again, and a file cut
// anywhere is refused rather than read past its end.
TEST(Records, ReaderIsTheWritersInverse) {
    writer::Scene scene = writer::mesh_on_floor_scene(2, 4, 8, 4, 2);
    scene.shade = {std::string(140, 'd'), "Ball.xyz"};
    scene.settings.texture_names = {"a.iim", std::string(80, 'x')};
    scene.settings.object_sizes = {3, -1};
    for (auto& frame : scene.frames) frame.matrices.push_back({});
    writer::sync_counts(scene.settings, scene.frames[0]);
    const Bytes shade = writer::shade_file_bytes(scene.shade);
    EXPECT_EQ(writer::shade_file_bytes(writer::read_shade_file(shade)), shade);
    const Bytes settings = writer::settings_file_bytes(scene.settings);
    EXPECT_EQ(writer::settings_file_bytes(writer::read_settings_file(settings)), settings);
    const Bytes frame = writer::frame_block_bytes(scene.frames[1]);
    EXPECT_EQ(writer::frame_block_bytes(writer::read_frame_block(frame, scene.settings.inf)), frame);
    for (std::size_t n = 0; n < settings.size(); ++n)
        EXPECT_THROW(writer::read_settings_file(std::span(settings).first(n)), writer::ReadError) << n;
}

}  // namespace
}  // namespace zy
