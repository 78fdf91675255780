// Normal perturbation: a vector from the bump space of the triangle's object,
// carried back to scene space and added to the normal.
#include "materials/bumps.h"

#include <cmath>

#include "driver/emulator.h"
#include "materials/materials.h"
#include "materials/noise.h"

namespace zy {

constexpr std::array<BumpRoutine, kBumpCount + 1> bump_table = {
    nullptr,           _bump_bumps,      _bump_dents,          _bump_wrinkles,   _bump_corrosion,
    _bump_wave_static, _bump_wave_anim, _bump_floor_pyramids, _bump_floor_tiles,
};
static_assert(bump_table.size() == 9 && bump_table[0] == nullptr);

namespace {

void dnoise_tenth(const V3D& p, V3D& d) { rt_dnoise(0.1 * p.x, 0.1 * p.y, 0.1 * p.z, d); }

// Which of the four triangles cut by a square's diagonals holds (fx, fz):
// 0 +z, 1 +x, 2 -x, 3 -z; the lean points toward the edge it touches.
void lean_toward_edge(double fx, double fz, double size, V3D& d) {
    int code = 0;
    if (fz < fx) code += 1;
    if (fz < size - fx) code += 2;
    switch (code) {
        case 0: d.z = 1.0; break;
        case 1: d.x = 1.0; break;
        case 2: d.x = -1.0; break;
        default: d.z = -1.0; break;
    }
}

double cell_fraction(double c) { return c - 50.0 * trunc(c / 50.0); }

}  // namespace

void _bump_bumps(const BumpContext&, const V3D& p, const V3D&, V3D& d) { dnoise_tenth(p, d); }

void _bump_dents(const BumpContext&, const V3D& p, const V3D&, V3D& d) {
    const double n3 = std::pow(rt_noise(0.1 * p.x, 0.1 * p.y, 0.1 * p.z), 3.0);
    dnoise_tenth(p, d);
    d.x *= n3;
    d.y *= n3;
    d.z *= n3;
}

// The absolute values lean every wrinkle toward +x, +y and +z of bump space.
void _bump_wrinkles(const BumpContext&, const V3D& p, const V3D&, V3D& d) {
    d = {0.0, 0.0, 0.0};
    double f = 1.0;
    for (int octave = 0; octave < 10; ++octave) {
        V3D e;
        rt_dnoise(0.1 * f * p.x, 0.1 * f * p.y, 0.1 * f * p.z, e);
        d.x += std::fabs(e.x / f);
        d.y += std::fabs(e.y / f);
        d.z += std::fabs(e.z / f);
        f = 2.0 * f;
    }
}

// Pits only: a perturbation facing away from the normal is dropped.
void _bump_corrosion(const BumpContext&, const V3D& p, const V3D& nrm, V3D& d) {
    dnoise_tenth(p, d);
    v3d_nrm(d);
    if (v3d_scal(d, nrm) < 0.0) d = {0.0, 0.0, 0.0};
}

void _bump_wave_static(const BumpContext&, const V3D& p, const V3D&, V3D& d) {
    constexpr double k = 0.15707963267948966;
    const double n = 25.0 * rt_noise(0.1 * p.x, 0.1 * p.y, 0.1 * p.z);
    d = {std::sin(k * (p.x + n)), std::sin(k * (p.y + n)), std::sin(k * (p.z + n))};
    v3d_nrm(d);
}

// Four circular waves in the x-z plane; their crests travel one wavelength
// (20 units) per wave_period frames.
void _bump_wave_anim(const BumpContext& at, const V3D& p, const V3D&, V3D& d) {
    const double phase = 2.0 * at.frame_current / at.wave_period;
    V3D e;
    dnoise_tenth(p, e);
    const double qx = p.x + 4.0 * e.x;
    const double qz = p.z + 4.0 * e.z;
    V2D centre_to_point[4] = {{qx, qz}, {qx + 20.0, qz}, {qx, qz + 90.0}, {qx - 80.0, qz - 40.0}};
    d = {0.0, 0.1, 0.0};
    for (V2D& c : centre_to_point) {
        const double r = std::sqrt(c.y * c.y + c.x * c.x);
        const double a = 0.25 * std::sin(kPi * (r / 10.0 - phase));
        v2d_nrm(c);
        d.x += c.x * a;
        d.z += c.y * a;
    }
    v3d_nrm(d);
}

void _bump_floor_pyramids(const BumpContext& at, const V3D& p, const V3D&, V3D& d) {
    d = {0.0, 0.0, 0.0};
    lean_toward_edge(cell_fraction(at.offset + p.x), cell_fraction(at.offset + p.z), 50.0, d);
}

// Tiles of 48 between joints of 2; a rim of 2 round each tile leans outward.
void _bump_floor_tiles(const BumpContext& at, const V3D& p, const V3D&, V3D& d) {
    d = {0.0, 0.0, 0.0};
    double fx = cell_fraction(at.offset + p.x);
    double fz = cell_fraction(at.offset + p.z);
    if (fx < 2.0 || fz < 2.0) return;
    fx = fx - 2.0;
    fz = fz - 2.0;
    if (2.0 < fx && fx < 46.0 && 2.0 < fz && fz < 46.0) return;
    lean_toward_edge(fx, fz, 48.0, d);
}

void rt_perturb_nrm(const Scene& scene, const TRIANGLE& tri, const V3D& point, V3D& nrm) {
    const RT_VAR& settings = scene.settings;
    const SURFACE& srf = settings.surfaces[tri.srf_index];
    if (srf.bump_type == 0) return;
    V3D p;
    v3d_add(point, settings.pov, p);
    // Bumps live in the pattern space of the object.
    if (tri.mat_index >= 0) v3d_trnsf(p, p, settings.ptrn_mat[tri.mat_index]);
    const BumpContext at{pattern_offset(srf), settings.frame_current, settings.wave_period};
    const double k = 1.0 / srf.bump_scale;
    p.x *= k;
    p.y *= k;
    p.z *= k;
    V3D d{};
    bump_table[srf.bump_type](at, p, nrm, d);
    if (tri.mat_index >= 0) v3d_trnsf(d, d, settings.bump_mat[tri.mat_index]);
    nrm.x += srf.bump_depth * d.x;
    nrm.y += srf.bump_depth * d.y;
    nrm.z += srf.bump_depth * d.z;
    v3d_nrm(nrm);
}

}  // namespace zy
