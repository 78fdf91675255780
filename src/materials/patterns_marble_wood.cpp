// Marble veins and wood rings: turbulence bent through the triangle wave, and
// rings about the x axis.
#include <cmath>

#include "driver/emulator.h"
#include "materials/noise.h"
#include "materials/patterns.h"

namespace zy {

constexpr std::array<MarbleRow, 4> marble_table = {{
    {0.06, 0.5, 0.5, 0.5, 2.0, 0.5, 0.3},
    {0.03, 0.3, 0.2, 0.2, 4.0, 0.5, 0.6},
    {0.03, 0.3, 0.2, 0.2, 4.0, 0.5, 0.0},
    {0.03, 0.3, 0.4, 0.4, 5.0, 1.0, 0.3},
}};

double rt_ptrn_marble(const V3D& p, short row) {
    const MarbleRow& m = marble_table[row];
    const V3D q{m.sx * p.x, m.sy * p.y, m.sz * p.z};
    const double t1 = rt_turbulence(q.x, q.y, q.z);
    // The second turbulence sees the axes turned: y, z, x.
    const double t2 = rt_turbulence(10.0 * q.y, 10.0 * q.z, 10.0 * q.x);
    const double v = 0.5 * (rt_triangle_wave(m.b * t1 + m.a * p.x) + rt_triangle_wave(m.c * t2));
    if (v < m.thr) return 0.0;
    return (v - m.thr) / (1.0 - m.thr);
}

double rt_ptrn_wood_massive(double offset, const V3D& p) {
    const double tb = rt_turbulence(0.2 * (offset + p.x), p.y, p.z);
    const double r = std::sqrt(p.z * p.z + p.y * p.y) + 6.0 * tb;
    const double f = r - trunc(r);
    return f * f;
}

double rt_ptrn_wood_ledges(double offset, const V3D& p) {
    // Truncation toward zero: the planks either side of 0 merge into one 20 wide.
    const double y0 = 10.0 * trunc(p.y / 10.0);
    const double z0 = 10.0 * trunc(p.z / 10.0);
    const double n = rt_noise(0.0, y0, z0);
    const V3D q{p.x + 1000.0 * n, p.y - y0 - 5.0 + 2.0 * std::sin(z0), p.z - z0 - 5.0 + 2.0 * std::sin(y0)};
    return rt_ptrn_wood_massive(offset, q);
}

void _ptrn_marble1(double, const V3D& p, const SURFACE& srf, MATERIAL& out) {
    ptrn_blend(srf, rt_ptrn_marble(p, 0), out);
}

void _ptrn_marble2(double, const V3D& p, const SURFACE& srf, MATERIAL& out) {
    ptrn_blend(srf, rt_ptrn_marble(p, 1), out);
}

void _ptrn_marble3(double, const V3D& p, const SURFACE& srf, MATERIAL& out) {
    ptrn_blend(srf, rt_ptrn_marble(p, 2), out);
}

void _ptrn_marble4(double, const V3D& p, const SURFACE& srf, MATERIAL& out) {
    ptrn_blend(srf, rt_ptrn_marble(p, 3), out);
}

void _ptrn_wood_massive(double offset, const V3D& p, const SURFACE& srf, MATERIAL& out) {
    ptrn_blend(srf, rt_ptrn_wood_massive(offset, p), out);
}

void _ptrn_wood_ledges(double offset, const V3D& p, const SURFACE& srf, MATERIAL& out) {
    ptrn_blend(srf, rt_ptrn_wood_ledges(offset, p), out);
}

}  // namespace zy
