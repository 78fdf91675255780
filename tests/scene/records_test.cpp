#include <gtest/gtest.h>

#include <cstring>

#include "scene/records.h"
#include "writer/scene_writer.h"

namespace zy {
namespace {

using writer::Bytes;

uint16_t be16_at(const Bytes& b, std::size_t o) { return static_cast<uint16_t>(b[o] << 8 | b[o + 1]); }
uint32_t be32_at(const Bytes& b, std::size_t o) {
    return uint32_t{b[o]} << 24 | uint32_t{b[o + 1]} << 16 | uint32_t{b[o + 2]} << 8 | b[o + 3];
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
    const std::size_t o = 8;
    EXPECT_EQ(be16_at(b, o + 82), 0x0102);
    EXPECT_EQ(be16_at(b, o + 92), 0x0304);
    EXPECT_EQ(b[o + 99], 0x77);
    EXPECT_EQ(be32_at(b, o + 116), 0x3F800000u);
    EXPECT_EQ(be32_at(b, o + 128), 0xC0000000u);
    EXPECT_EQ(b[o + 152 + 9], 0x55);
    EXPECT_EQ(b[o + 167], 0x0A);
    EXPECT_EQ(be16_at(b, o + 184), 0x0506);
    EXPECT_EQ(be32_at(b, o + 192), 0x0708090Au);
    EXPECT_EQ(be32_at(b, o + 196), 1u);
}

TEST(Records, SurfaceConversionLeavesBytesAlone) {
    RT_SRF srf{};
    srf.mat[0].color[0] = 1;
    srf.mat[0].color[1] = 2;
    srf.img_mode = 3;
    srf.ptrn_arg = 4;
    srf.bump_depth = 1.0f;
    srf.srf_flags = 9;
    RT_SRF copy = srf;
    translate_RT_SRF(&copy);
    const auto* b = reinterpret_cast<const uint8_t*>(&copy);
    EXPECT_EQ(b[0], 1);
    EXPECT_EQ(b[1], 2);
    EXPECT_EQ(b[24], 3);
    EXPECT_EQ(b[27], 4);
    EXPECT_EQ(b[36], 0x3F);
    EXPECT_EQ(b[45], 9);
    translate_RT_SRF(&copy);
    EXPECT_EQ(std::memcmp(&copy, &srf, sizeof srf), 0);
}

TEST(Records, FrameRecordsConvertExactlyTheirMultiByteFields) {
    RT_CAM cam{};
    cam.eye = {1.0f, 0, 0};
    cam.fov = 2.0;  // 0x4000000000000000
    translate_RT_CAM(&cam);
    const auto* c = reinterpret_cast<const uint8_t*>(&cam);
    EXPECT_EQ(c[0], 0x3F);
    EXPECT_EQ(c[36], 0x40);
    EXPECT_EQ(c[43], 0x00);

    RT_LIGHT light{};
    light.color[2] = 200;
    light.kind = -3;
    light.cone_angle = 0x0102;
    light.radius = 1.0f;
    translate_RT_LIGHT(&light);
    const auto* l = reinterpret_cast<const uint8_t*>(&light);
    EXPECT_EQ(l[2], 200);
    EXPECT_EQ(static_cast<int8_t>(l[3]), -3);
    EXPECT_EQ(l[28], 0x3F);
    EXPECT_EQ(l[36], 0x01);
    EXPECT_EQ(l[37], 0x02);

    RT_TRI tri{};
    tri.vertex[2] = 0x01020304;
    tri.normal[1].y = 30000;  // 0x7530
    tri.srf = 0x0A0B;
    tri.mat_index = -1;
    tri.smooth = 1;
    translate_RT_TRI(&tri);
    const auto* t = reinterpret_cast<const uint8_t*>(&tri);
    EXPECT_EQ(t[8], 0x01);
    EXPECT_EQ(t[11], 0x04);
    EXPECT_EQ(t[20], 0x75);
    EXPECT_EQ(t[21], 0x30);
    EXPECT_EQ(t[30], 0x0A);
    EXPECT_EQ(t[32], 0xFF);
    EXPECT_EQ(t[33], 1);

    MAT4_64 m{};
    m.m[3][1] = 2.0;
    translate_MAT4_64(&m);
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(&m)[32 * 3 + 8], 0x40);

    IIM_HEADER h{4, 0, 0x0010, 0x0200};
    translate_IIM_HEADER(&h);
    const auto* hb = reinterpret_cast<const uint8_t*>(&h);
    EXPECT_EQ(hb[1], 4);
    EXPECT_EQ(hb[5], 0x10);
    EXPECT_EQ(hb[6], 0x02);
}

TEST(Records, ShadeAndBreakFiles) {
    writer::ShadeFile shade{"C:\\SCENES\\", "TEST"};
    const Bytes s = writer::shade_file_bytes(shade);
    ASSERT_EQ(s.size(), 163u);
    EXPECT_EQ(std::memcmp(s.data(), "RT_PATH ", 8), 0);
    EXPECT_EQ(std::memcmp(s.data() + 8, "C:\\SCENES\\", 10), 0);
    EXPECT_EQ(std::memcmp(s.data() + 149, "TEST", 5), 0);
    EXPECT_EQ(writer::break_file_bytes(2, 10), (Bytes{0, 2, 0, 10}));
    EXPECT_EQ(read_be16(writer::break_file_bytes(-2, 0).data()), -2);
}

}  // namespace
}  // namespace zy
