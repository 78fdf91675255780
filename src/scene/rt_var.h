// Scene state: the settings record rt_var and the run-time records it owns.
// Written while loading and preparing a frame, read-only while rendering.
#pragma once

#include <cstdint>

#include "geometry/xmath.h"
#include "render/output_curve.h"
#include "scene/records.h"

namespace zy {

struct TRIANGLE;

/// Colour, channels nominally 0..1.
struct RT_COL {
    double r, g, b;
};

/// Run-time material: fractions unless noted.
struct MATERIAL {
    RT_COL color;
    double luminous, ambient, diffuse, specular;
    double spec_exp;   ///< highlight exponent (file byte x 2)
    double reflect, transp;
    double refraction; ///< refraction index from _refr_table
};

/// Surface flag bits.
inline constexpr uint8_t kSrfImage = 1;    ///< material from a texture image
inline constexpr uint8_t kSrfNoShadow = 2; ///< casts no shadow
inline constexpr uint8_t kSrfMetal = 4;    ///< highlights and reflections tinted
inline constexpr uint8_t kSrfTinted = 8;   ///< transparency tinted

struct SURFACE {
    MATERIAL mat[2];   ///< own material, second material of patterns
    uint8_t img_mode;  ///< 0 flat, 2 mirrored cylinder, other cylinder
    uint8_t img_index; ///< texture image number
    double img_arg;    ///< degrees covered by one image width (cylinders)
    uint8_t ptrn_type; ///< pattern 1..32, 0 none
    uint8_t ptrn_arg;  ///< orientation 0..3
    double ptrn_scale; ///< scene units per pattern unit
    uint8_t bump_type; ///< bump 1..8, 0 none
    double bump_depth;
    double bump_scale;
    uint8_t srf_flags; ///< kSrf* bits
};

/// Run-time light.
struct LIGHT {
    int16_t kind;    ///< 1 spot light, other point light
    V3D pos;         ///< pov-relative position
    V3D dir;         ///< spot axis, used as stored
    RT_COL col;
    double radius;   ///< visible sphere radius, 0 invisible
    double att0, att1;
    double cos_out, cos_in;
};

/// Loaded texture image.
struct IIM_IMAGE {
    int16_t type, head1, width, height;
    const uint8_t* pixels; ///< file byte 16 of the loaded file
    int64_t size;          ///< bytes of pixel data available from pixels
};

/// The refraction indices by material code.
inline constexpr double _refr_table[5] = {1.0003, 1.3329, 1.4588, 1.76, 2.4173};

struct RT_VAR {
    char path[82];
    int16_t frame_count, frame_start, frame_current, wave_period;
    char out_name[154];
    int16_t res_x, res_y;
    int16_t light_on, reflect_on, refract_on, floor_on, clouds_on, fog_on;
    int16_t max_depth;
    double aa_tolerance, aa_tolerance2;
    double sky_height;
    RT_COL sky_color1, sky_color2, sky_color3;
    double cloud_a, cloud_b;
    RT_COL cloud_color1, cloud_color2;
    double fog_distance;
    RT_COL fog_color;
    RT_COL ambient_color;
    double floor_radius;
    int16_t n_mat, n_img, n_srf, n_light, n_light_ref, n_obj;
    int32_t n_pnt, n_tri;
    V3D eye, look_at, pov, sky;
    double fov_x, fov_y;
    V3D pixel_dx, pixel_dy, pixel_origin;
    // depth is trace state (TraceState::depth).
    char img_names[kMaxImages][81];
    MAT4* ptrn_mat;
    MAT4* bump_mat;
    MAT4* img_mat;
    IIM_IMAGE* images;
    SURFACE* surfaces;     ///< n_srf + 1 entries, the last is the floor's
    LIGHT* lights;
    LIGHT** light_refs;
    int32_t n_light_refs_stored; ///< references actually stored in light_refs
    int32_t* obj_tri_count;
    V3D* points;
    TRIANGLE* tris;
};

/// The sky dome: a sphere of radius kSkyRadius whose centre lies
/// kSkyCentreDepth below ground level, reaching kSkyTop above it; the floor
/// reaches a little beyond it.
inline constexpr double kSkyRadius = 640000000.0;
inline constexpr double kSkyCentreDepth = 637000000.0;
inline constexpr double kSkyTop = kSkyRadius - kSkyCentreDepth;
static_assert(kSkyTop == 3000000.0);

extern RT_VAR rt_var;
extern double floor_radius_sqr;

}  // namespace zy
