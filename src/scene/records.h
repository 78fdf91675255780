// Byte layout of the binary scene-file records. Every multi-byte field is
// big-endian in the files; a record is read raw, converted once with its
// translate_* routine, and only then used. Converting twice restores file order.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zy {

/// Most texture images a settings file may name.
inline constexpr int kMaxImages = 64;

#pragma pack(push, 1)

/// Vector of three float32 (points of a frame).
struct V3S {
    float x, y, z;
};

/// Vector of three int16 (vertex normals scaled by 30000).
struct V3I {
    int16_t x, y, z;
};

/// 4x4 float64 matrix, row by row.
struct MAT4_64 {
    double m[4][4];
};

/// Material block inside RT_SRF and the settings' floor surface.
struct RT_MAT_BLOCK {
    uint8_t color[3];   ///< red, green, blue 0..255
    uint8_t luminous;   ///< percent
    uint8_t ambient;    ///< percent
    uint8_t diffuse;    ///< percent
    uint8_t specular;   ///< percent
    uint8_t spec_exp;   ///< highlight exponent in units of 2
    uint8_t reflect;    ///< percent
    uint8_t transp;     ///< percent
    uint8_t refraction; ///< index into the refraction table
    uint8_t reserved;
};

/// Switch bits of RT_INF::flags.
inline constexpr int16_t kInfReflect = 1, kInfRefract = 2, kInfLights = 4, kInfFloor = 8, kInfClouds = 16,
                         kInfFog = 32;

/// Render settings, the head of the settings file (200 bytes).
struct RT_INF {
    char path[82];            ///< scene directory, zero-terminated
    int16_t res_x, res_y;     ///< picture size in pixels
    int16_t aa_level;         ///< antialiasing level 0..2
    int16_t max_depth;        ///< secondary ray nesting limit
    int16_t flags;            ///< kInf* switch bits
    int16_t sky_height;       ///< percent of the sky layer height
    uint8_t sky_color1[3], reserved1;
    uint8_t sky_color2[3], reserved2;
    uint8_t sky_color3[3], reserved3;
    uint8_t cloud_a, cloud_b; ///< percent
    uint8_t cloud_color1[3], reserved4;
    uint8_t cloud_color2[3], reserved5;
    float fog_distance;
    float floor_ptrn_scale, floor_bump_depth, floor_bump_scale;
    uint8_t fog_color[3], reserved6;
    uint8_t ambient_color[3], reserved7;
    RT_MAT_BLOCK floor_mat[2];
    uint8_t floor_ptrn_type, floor_ptrn_arg, floor_bump_type, floor_srf_flags;
    int16_t frame_start, frame_count, wave_period;
    int16_t n_mat, n_img, n_srf, n_light, n_light_ref, n_obj;
    uint8_t reserved8[2];
    int32_t n_pnt, n_tri;
    int32_t options; ///< bit 0 autosave
};

/// One surface of the settings file (48 bytes).
struct RT_SRF {
    RT_MAT_BLOCK mat[2];
    uint8_t img_mode, img_index, ptrn_type, ptrn_arg;
    float img_arg, ptrn_scale, bump_depth, bump_scale;
    uint8_t bump_type, srf_flags;
    uint8_t reserved[2];
};

/// Camera of one frame (48 bytes).
struct RT_CAM {
    V3S eye, look_at, sky;
    double fov; ///< full horizontal opening angle, degrees
    uint8_t reserved[4];
};

/// One light of one frame (40 bytes).
struct RT_LIGHT {
    uint8_t color[3];
    int8_t kind; ///< 1 spot light
    V3S pos, dir;
    float radius;
    int16_t attenuation, cone_soft, cone_angle;
    uint8_t reserved[2];
};

/// One triangle of one frame (36 bytes).
struct RT_TRI {
    int32_t vertex[3];
    V3I normal[3];
    int16_t srf;
    int8_t mat_index;
    uint8_t smooth;
    uint8_t reserved[2];
};

/// Header of a texture image, at byte 8 of its file.
struct IIM_HEADER {
    int16_t type, head1, width, height;
};

#pragma pack(pop)

static_assert(sizeof(V3S) == 12 && sizeof(V3I) == 6 && sizeof(MAT4_64) == 128);
static_assert(sizeof(RT_MAT_BLOCK) == 12 && sizeof(RT_INF) == 200 && sizeof(RT_SRF) == 48);
static_assert(sizeof(RT_CAM) == 48 && sizeof(RT_LIGHT) == 40 && sizeof(RT_TRI) == 36);
static_assert(sizeof(IIM_HEADER) == 8);
static_assert(offsetof(RT_INF, fog_distance) == 116 && offsetof(RT_INF, floor_mat) == 140);
static_assert(offsetof(RT_INF, frame_start) == 168 && offsetof(RT_INF, n_pnt) == 188);
static_assert(offsetof(RT_SRF, img_arg) == 28 && offsetof(RT_SRF, bump_type) == 44);
static_assert(offsetof(RT_CAM, fov) == 36 && offsetof(RT_LIGHT, attenuation) == 32);
static_assert(offsetof(RT_TRI, srf) == 30);

/// Reverses the n bytes at field (n <= 16).
void translate(void* field, int n);

void translate_V3S(void* rec);
void translate_V3I(void* rec);
void translate_MAT4_64(void* rec);
void translate_RT_INF(void* rec);
void translate_RT_SRF(void* rec);
void translate_RT_CAM(void* rec);
void translate_RT_LIGHT(void* rec);
void translate_RT_TRI(void* rec);
void translate_IIM_HEADER(void* rec);

/// Copies an already converted float64 into a run-time double.
void trans_double64_2_double(const void* src, double* dst);

struct MAT4;
/// Copies an already converted MAT4_64 into a run-time MAT4.
void mat4_64_2_mat4(const void* src, MAT4* dst);

/// Reads a big-endian 16-bit signed number.
int16_t read_be16(const void* bytes);
/// Reads a big-endian 32-bit signed number.
int32_t read_be32(const void* bytes);

}  // namespace zy
