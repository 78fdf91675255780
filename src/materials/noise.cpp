#include "materials/noise.h"

#include <cmath>
#include <cstdint>

#include "driver/emulator.h"

namespace zy {

double half_r_table[267];

namespace {

// Keeps the lattice coordinates positive for every point of a scene, so that
// truncation acts as a floor.
constexpr double kLatticeOffset = 5000000.0;

double smooth_step(double f) { return f * f * (3.0 - 2.0 * f); }

double corner_term(int m, double dx, double dy, double dz) {
    return half_r_table[m] + r_table[m + 1] * dx + r_table[m + 2] * dy + r_table[m + 3] * dz;
}

// One axis of the cell around a point; index 0 the low side, 1 the high side.
struct Axis {
    uint32_t bits[2]; ///< lattice coordinate reduced to 12 bits
    double f[2];      ///< offset of the point from it
    double w[2];      ///< weight of that side
};

// The lattice coordinate saturates like trunc, and its neighbour is formed
// without overflow: low 12 bits for the hash, ix + 1.0 for the offset.
Axis axis_of(double c) {
    c += kLatticeOffset;
    const int32_t i = trunc_i32(c);
    Axis a;
    a.bits[0] = static_cast<uint32_t>(i) & 0xFFFu;
    a.bits[1] = (static_cast<uint32_t>(i) + 1u) & 0xFFFu;
    a.f[0] = c - static_cast<double>(i);
    a.f[1] = c - (static_cast<double>(i) + 1.0);
    a.w[1] = smooth_step(a.f[0]);
    a.w[0] = 1.0 - a.w[1];
    return a;
}

// The eight corners of the cell in summation order (x fastest, then y, z):
// each with its record, offsets and weight.
struct LatticeCell {
    int record[8];
    double dx[8], dy[8], dz[8];
    double weight[8];
};

LatticeCell lattice_cell(double x, double y, double z) {
    const Axis ax = axis_of(x), ay = axis_of(y), az = axis_of(z);
    // The hash chain shares its first two steps between corners.
    int h2[4];
    for (int j = 0; j < 4; ++j) h2[j] = hash_table[hash_table[ax.bits[j & 1]] ^ ay.bits[j >> 1]];
    LatticeCell cell;
    for (int k = 0; k < 8; ++k) {
        const int ix = k & 1, iy = (k >> 1) & 1, iz = k >> 2;
        cell.record[k] = hash_table[h2[k & 3] ^ az.bits[iz]] & 0xFF;
        cell.dx[k] = ax.f[ix];
        cell.dy[k] = ay.f[iy];
        cell.dz[k] = az.f[iz];
        cell.weight[k] = ax.w[ix] * ay.w[iy] * az.w[iz];
    }
    return cell;
}

double clamp_unit(double v) {
    if (v < 0.0) return 0.0;
    if (v > 1.0) return 1.0;
    return v;
}

}  // namespace

void init_r_table() {
    for (int i = 0; i < 267; ++i) half_r_table[i] = r_table[i] / 2.0;
}

void rt_noise_preprocess() { init_r_table(); }

double rt_noise(double x, double y, double z) {
    const LatticeCell cell = lattice_cell(x, y, z);
    double sum = corner_term(cell.record[0], cell.dx[0], cell.dy[0], cell.dz[0]) * cell.weight[0];
    for (int k = 1; k < 8; ++k)
        sum += corner_term(cell.record[k], cell.dx[k], cell.dy[k], cell.dz[k]) * cell.weight[k];
    return clamp_unit(sum + 0.5);
}

void rt_dnoise(double x, double y, double z, V3D& out) {
    const LatticeCell cell = lattice_cell(x, y, z);
    double sum[3];
    for (int k = 0; k < 8; ++k) {
        for (int c = 0; c < 3; ++c) {
            const double term = corner_term(cell.record[k] + 4 * c, cell.dx[k], cell.dy[k], cell.dz[k]) * cell.weight[k];
            sum[c] = k == 0 ? term : sum[c] + term;
        }
    }
    out = {sum[0], sum[1], sum[2]};
}

double rt_turbulence(double x, double y, double z) {
    x *= 0.1;
    y *= 0.1;
    z *= 0.1;
    double t = rt_noise(x, y, z);
    double w = 0.5;
    for (int octave = 1; octave < 8; ++octave) {
        x += x;
        y += y;
        z += z;
        t += rt_noise(x, y, z) * w;
        w *= 0.5;
    }
    return t / 1.9921875;
}

void rt_dturbulence(double x, double y, double z, V3D& out) {
    out = {0.0, 0.0, 0.0};
    double f = 0.1, w = 1.0;
    for (int octave = 0; octave < 7; ++octave) {
        V3D d;
        rt_dnoise(x * f, y * f, z * f, d);
        out.x += d.x * w;
        out.y += d.y * w;
        out.z += d.z * w;
        f *= 2.0;
        w *= 0.5;
    }
    out = {clamp_unit(out.x), clamp_unit(out.y), clamp_unit(out.z)};
}

double rt_triangle_wave(double v) {
    // For negative v the integer part is -1 - floor(|v|): a negative integer
    // gives the fraction 1, which maps to 0 like the fraction 0.
    const double whole = v < 0.0 ? -1.0 - std::floor(-v) : std::floor(v);
    const double f = v - whole;
    if (f < 0.5) return 2.0 * f;
    return 2.0 * (1.0 - f);
}

}  // namespace zy
