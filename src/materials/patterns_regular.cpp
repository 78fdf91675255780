// Patterns without noise: sine strips and dots, tiles and checkers. The grid
// patterns work on X = offset + x and Z = offset + z so that their truncations
// act as floors; cell indices saturate and products are formed in double.
#include <cmath>
#include <cstdint>

#include "driver/emulator.h"
#include "materials/patterns.h"

namespace zy {

namespace {

constexpr double kPiTenth = kPi * 0.1;

// |sin(k y) + sin(k x) + sin(k z)| / 3.
double dots(double k, const V3D& p) {
    return std::fabs(std::sin(k * p.y) + std::sin(k * p.x) + std::sin(k * p.z)) / 3.0;
}

double joint_if_below_2(double f) { return f < 2.0 ? 1.0 : 0.0; }

// Position within a cell of the given size along one axis.
double cell_fraction(double c, double size) { return c - size * trunc(c / size); }

// Rows of the given width along z, odd rows shifted by half a 50-long tile.
double shifted_tiles(double offset, const V3D& p, double row_width) {
    double x = offset + p.x;
    const double z = offset + p.z;
    const int32_t iz = trunc_i32(z / row_width);
    if (z - row_width * iz < 2.0) return 1.0;
    if (iz & 1) x = x + 25.0;
    return joint_if_below_2(cell_fraction(x, 50.0));
}

}  // namespace

void _ptrn_strips1(double, const V3D& p, const SURFACE& srf, MATERIAL& out) {
    ptrn_blend(srf, std::pow(std::fabs(std::sin(kPiTenth * p.x)), 5.0), out);
}

void _ptrn_strips2(double, const V3D& p, const SURFACE& srf, MATERIAL& out) {
    const double u = p.x + 10.0 * (std::sin(kPiTenth * p.z) + std::sin(kPiTenth * p.y));
    ptrn_blend(srf, std::sin(kPiTenth * u) > 0.4 ? 1.0 : 0.0, out);
}

void _ptrn_dotted1(double, const V3D& p, const SURFACE& srf, MATERIAL& out) {
    const double u1 = dots(0.25132741228718347, p);
    const double u2 = dots(0.19559771214331123, p);
    constexpr double k3 = 0.1495142134775268;
    const double u3 = (std::sin(k3 * p.y) + std::sin(k3 * p.x) + std::sin(k3 * p.z)) / 15.0 + 0.4;
    ptrn_blend(srf, u1 < u3 ? u2 : 1.0 - u2, out);
}

void _ptrn_dotted2(double, const V3D& p, const SURFACE& srf, MATERIAL& out) {
    ptrn_blend(srf, dots(0.25132741228718347, p), out);
}

void _ptrn_tiles_regular(double offset, const V3D& p, const SURFACE& srf, MATERIAL& out) {
    const double fx = cell_fraction(offset + p.x, 50.0);
    const double fz = cell_fraction(offset + p.z, 50.0);
    ptrn_blend(srf, fz < 2.0 || fx < 2.0 ? 1.0 : 0.0, out);
}

void _ptrn_tiles_shift(double offset, const V3D& p, const SURFACE& srf, MATERIAL& out) {
    ptrn_blend(srf, shifted_tiles(offset, p, 50.0), out);
}

void _ptrn_tiles_narrow(double offset, const V3D& p, const SURFACE& srf, MATERIAL& out) {
    ptrn_blend(srf, shifted_tiles(offset, p, 25.0), out);
}

void _ptrn_checkered(double offset, const V3D& p, const SURFACE& srf, MATERIAL& out) {
    const int64_t sum = int64_t{trunc_i32((offset + p.x) / 50.0)} + trunc_i32((offset + p.z) / 50.0);
    ptrn_blend(srf, (sum & 1) != 0 ? 1.0 : 0.0, out);
}

void _ptrn_checkered_query(double offset, const V3D& p, const SURFACE& srf, MATERIAL& out) {
    const double x = offset + p.x;
    const double z = offset + p.z;
    ptrn_blend(srf, std::sin(kPi * z / 35.4) + std::sin(kPi * x / 35.4) > 0.0 ? 1.0 : 0.0, out);
}

void _ptrn_free2(double, const V3D& p, const SURFACE& srf, MATERIAL& out) {
    constexpr double k16 = kPi * 0.16;
    const double a = p.x + 4.0 * (std::sin(k16 * p.z) + std::sin(kPiTenth * p.y));
    const double b = p.x + 4.0 * (std::sin(kPiTenth * p.z) + std::sin(k16 * p.y));
    ptrn_blend(srf, (std::fabs(std::sin(kPiTenth * b)) + std::fabs(std::sin(kPiTenth * a))) / 2.0, out);
}

void _ptrn_free3(double, const V3D&, const SURFACE& srf, MATERIAL& out) { ptrn_blend(srf, 0.0, out); }

}  // namespace zy
