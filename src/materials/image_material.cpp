// Image-mapped materials: the hit point projected into a texture image that
// repeats endlessly, the nearest pixel turned into a material.
#include "materials/image_material.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "driver/emulator.h"
#include "materials/materials.h"

namespace zy {

namespace {

std::array<double, 256> gamma_table() {
    std::array<double, 256> table{};
    for (int i = 0; i < 256; ++i) {
        const double a = i / kByteScale;
        const double e = std::pow(2.0, 1.8 * std::log(a) * 1.4426950408889634);
        table[i] = e >= 1.0 ? 1.0 : (e > 0.0 ? e : 0.0);
    }
    return table;
}

// Image coordinates (u, v) of point before repetition; one pixel per unit.
V2D project(const RT_VAR& settings, const SURFACE& srf, const IIM_IMAGE& img, const TRIANGLE& tri,
          const V3D& point) {
    const double w = img.width, h = img.height;
    V3D p;
    v3d_add(point, settings.pov, p);
    if (tri.mat_index >= 0) v3d_trnsf(p, p, settings.img_mat[tri.mat_index]);
    if (srf.img_mode == 0) return {p.x - w / 2.0, p.y - h / 2.0};

    // Wrapped about the y axis: theta 0 at +x, 90 at +z, 180 at -x, 270 at -z.
    V2D q{p.x, p.z};
    const double len = v2d_nrm(q);
    double theta = 0.0;
    if (len > kMachineEpsilon) {
        const double c = std::max(1.0 - q.x * q.x, 0.0);  // rounding can make it negative
        theta = rad_to_deg(kPi / 2.0 - std::atan2(q.x, std::sqrt(c)));
        if (q.y < 0.0) theta = 360.0 - theta;
    }
    double u = (360.0 / srf.img_arg) * ((theta / 360.0) * w);
    if (srf.img_mode == 2) u = w - u;
    return {u, p.y - h / 2.0};
}

// The material's colour filtered by the linear intensities of three pixel bytes.
void filter_colour(const uint8_t* rgb, MATERIAL& m) {
    m.color.r *= log_exp_gamma_fast(rgb[0]);
    m.color.g *= log_exp_gamma_fast(rgb[1]);
    m.color.b *= log_exp_gamma_fast(rgb[2]);
}

// Column or row of a coordinate in an image that repeats every size units;
// rounding and saturation are kept inside 0 .. size - 1.
int32_t wrap(double c, double size, bool downward) {
    c = c / size;
    c = c - trunc(c);
    c = downward ? -(size * c) : size * c;
    if (c < 0.0) c = c + size;
    return std::clamp(trunc_i32(c), 0, static_cast<int32_t>(size) - 1);
}

// The mask byte weighs the second material unclamped: mask 0 gives a hair above 1.
void blend_by_mask(const SURFACE& srf, const uint8_t* px, MATERIAL& out) {
    blend_materials(srf.mat[0], srf.mat[1], (255 - px[0]) / kByteScale, out);
    filter_colour(px + 1, out);
}

// The bytes of pixel (cu, cv); null for the formats without pixels and for
// a pixel beyond the loaded data.
const uint8_t* pixel_bytes(const IIM_IMAGE& img, int64_t cu, int64_t cv) {
    const int64_t w = img.width;
    int64_t offset = 0, bytes = 0;
    switch (img.type) {
        case 0: offset = cv * ((w + 7) / 8) + cu / 8; bytes = 1; break;
        case 1: offset = cu + cv * w; bytes = 1; break;
        case 4: offset = 3 * (cu + cv * w); bytes = 3; break;
        case 5: offset = 4 * (cu + cv * w); bytes = 4; break;
        default: return nullptr;
    }
    return offset + bytes <= img.size ? img.pixels + offset : nullptr;
}

}  // namespace

double log_exp_gamma_fast(uint8_t value) {
    static const std::array<double, 256> table = gamma_table();
    return table[value];
}

void rt_img_material(const Scene& scene, const TRIANGLE& tri, const V3D& point, MATERIAL& out) {
    const RT_VAR& settings = scene.settings;
    const SURFACE& srf = settings.surfaces[tri.srf_index];
    const IIM_IMAGE& img = settings.images[srf.img_index];
    const V2D uv = project(settings, srf, img, tri, point);
    const int64_t cu = wrap(uv.x, img.width, false);
    const int64_t cv = wrap(uv.y, img.height, true);  // row 0 at the top, y up

    const uint8_t* px = pixel_bytes(img, cu, cv);
    if (px == nullptr) {
        out = srf.mat[0];
        return;
    }
    switch (img.type) {
        case 0: out = srf.mat[(*px & (0x80 >> (cu % 8))) != 0 ? 1 : 0]; break;
        case 1: {
            double t = *px / kByteScale;
            rt_material(srf, t, out);
            break;
        }
        case 4:
            out = srf.mat[0];
            filter_colour(px, out);
            break;
        default: blend_by_mask(srf, px, out); break;
    }
}

}  // namespace zy
