// Patterns drawn from the lattice noise: granite, stone, random blotches,
// spots, soap films, turbulence bands and the multi-colour tint.
#include <cmath>

#include "materials/noise.h"
#include "materials/patterns.h"

namespace zy {

namespace {

double noise_tenth(const V3D& p) { return rt_noise(0.1 * p.x, 0.1 * p.y, 0.1 * p.z); }

// Stretched five times along x: blotches become streaks.
double noise_streaked(const V3D& p) { return rt_noise(0.02 * p.x, 0.1 * p.y, 0.1 * p.z); }

double step_above_half(double n) { return n > 0.5 ? 1.0 : 0.0; }

// Only the band 0.3..0.8 shows, rising across it.
double spot(double n) {
    if (n < 0.3 || n > 0.8) return 0.0;
    return (n - 0.3) / 0.5;
}

double soap(const V3D& p) {
    const double n = 20.0 * rt_noise(0.025 * p.x, 0.1 * p.y, 0.1 * p.z);
    return rt_noise(0.01 * p.x, 0.1 * (p.y + n), 0.1 * (p.z + n));
}

}  // namespace

void _ptrn_granite(double, const V3D& p, const SURFACE& srf, MATERIAL& out) {
    const V3D q{0.4 * p.x, 0.4 * p.y, 0.4 * p.z};
    const double t = (rt_noise(q.x, q.y, q.z) + rt_noise(2.0 * q.x, 2.0 * q.y, 2.0 * q.z) / 2.0 +
                      rt_noise(4.0 * q.x, 4.0 * q.y, 4.0 * q.z) / 4.0 +
                      rt_noise(8.0 * q.x, 8.0 * q.y, 8.0 * q.z) / 8.0 +
                      rt_noise(16.0 * q.x, 16.0 * q.y, 16.0 * q.z) / 16.0) /
                     1.9375;
    ptrn_blend(srf, t, out);
}

void _ptrn_stone(double, const V3D& p, const SURFACE& srf, MATERIAL& out) {
    ptrn_blend(srf, rt_turbulence(p.x, p.y, p.z), out);
}

void _ptrn_random1(double, const V3D& p, const SURFACE& srf, MATERIAL& out) {
    ptrn_blend(srf, noise_tenth(p), out);
}

void _ptrn_random2(double, const V3D& p, const SURFACE& srf, MATERIAL& out) {
    ptrn_blend(srf, noise_streaked(p), out);
}

void _ptrn_random3(double, const V3D& p, const SURFACE& srf, MATERIAL& out) {
    ptrn_blend(srf, step_above_half(noise_tenth(p)), out);
}

void _ptrn_random4(double, const V3D& p, const SURFACE& srf, MATERIAL& out) {
    ptrn_blend(srf, step_above_half(noise_streaked(p)), out);
}

void _ptrn_strips3(double, const V3D& p, const SURFACE& srf, MATERIAL& out) {
    const double u = p.x + 14.0 * noise_tenth(p);
    ptrn_blend(srf, std::sin(kPi * 0.1 * u) > 0.0 ? 1.0 : 0.0, out);
}

void _ptrn_strips4(double, const V3D& p, const SURFACE& srf, MATERIAL& out) {
    constexpr double k = kPi * 0.1;
    const double u = p.x + 14.0 * noise_tenth(p) + 8.0 * (std::sin(k * p.z) + std::sin(k * p.y));
    ptrn_blend(srf, std::sin(k * u) > 0.4 ? 1.0 : 0.0, out);
}

void _ptrn_spotted1(double, const V3D& p, const SURFACE& srf, MATERIAL& out) {
    ptrn_blend(srf, spot(rt_noise(0.05 * p.x, 0.05 * p.y, 0.05 * p.z)), out);
}

void _ptrn_spotted2(double, const V3D& p, const SURFACE& srf, MATERIAL& out) {
    ptrn_blend(srf, spot(rt_turbulence(0.5 * p.x, 0.5 * p.y, 0.5 * p.z)), out);
}

void _ptrn_soap(double, const V3D& p, const SURFACE& srf, MATERIAL& out) {
    ptrn_blend(srf, soap(p), out);
}

void _ptrn_free1(double, const V3D& p, const SURFACE& srf, MATERIAL& out) {
    ptrn_blend(srf, soap(p), out);
}

void _ptrn_turbulent(double, const V3D& p, const SURFACE& srf, MATERIAL& out) {
    ptrn_blend(srf, rt_triangle_wave(2.5 * rt_turbulence(p.x, p.y, p.z)), out);
}

void _ptrn_spherical(double, const V3D& p, const SURFACE& srf, MATERIAL& out) {
    const double v = 4.0 * rt_turbulence(0.2 * p.x, 0.2 * p.y, 0.2 * p.z) + 0.2 * v3d_len(p);
    ptrn_blend(srf, rt_triangle_wave(v), out);
}

// The second material only steers the hue of the first; its other values are unused.
void _ptrn_multi_color(double, const V3D& p, const SURFACE& srf, MATERIAL& out) {
    const MATERIAL& a = srf.mat[0];
    const RT_COL& hue = srf.mat[1].color;
    out = a;
    V3D d;
    rt_dnoise(0.1 * p.x, 0.1 * p.y, 0.1 * p.z, d);
    d.x += hue.r + 0.1;
    d.y += hue.g + 0.1;
    d.z += hue.b + 0.1;
    v3d_nrm(d);
    out.color.r = std::fabs(d.x) * a.color.r;
    out.color.g = std::fabs(d.y) * a.color.g;
    out.color.b = std::fabs(d.z) * a.color.b;
}

}  // namespace zy
