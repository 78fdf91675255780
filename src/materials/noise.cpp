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

// Record index of a lattice corner; a, b, c are already reduced to 12 bits.
int lattice_record(uint32_t a, uint32_t b, uint32_t c) {
    const int h1 = hash_table[a];
    const int h2 = hash_table[h1 ^ b];
    return hash_table[h2 ^ c] & 0xFF;
}

double corner_term(int m, double dx, double dy, double dz) {
    return half_r_table[m] + r_table[m + 1] * dx + r_table[m + 2] * dy + r_table[m + 3] * dz;
}

// The cell around a point: the eight corners in summation order, each with its
// record, its offsets from the point and its weight.
struct LatticeCell {
    int record[8];
    double dx[8], dy[8], dz[8];
    double weight[8];
};

// One axis of the cell: low and high 12-bit lattice values, offsets, weights.
struct Axis {
    uint32_t lo, hi;
    double f0, f1;
    double s, t;
};

// The lattice coordinate saturates like trunc, and its neighbour is formed
// without overflow: low 12 bits for the hash, ix + 1.0 for the offset.
Axis axis_of(double c) {
    c += kLatticeOffset;
    const int32_t i = trunc_i32(c);
    Axis a;
    a.lo = static_cast<uint32_t>(i) & 0xFFFu;
    a.hi = (static_cast<uint32_t>(i) + 1u) & 0xFFFu;
    a.f0 = c - static_cast<double>(i);
    a.f1 = c - (static_cast<double>(i) + 1.0);
    a.s = smooth_step(a.f0);
    a.t = 1.0 - a.s;
    return a;
}

LatticeCell lattice_cell(double x, double y, double z) {
    const Axis ax = axis_of(x), ay = axis_of(y), az = axis_of(z);
    LatticeCell cell;
    for (int k = 0; k < 8; ++k) {
        const bool high_x = (k & 1) != 0, high_y = (k & 2) != 0, high_z = (k & 4) != 0;
        cell.record[k] = lattice_record(high_x ? ax.hi : ax.lo, high_y ? ay.hi : ay.lo, high_z ? az.hi : az.lo);
        cell.dx[k] = high_x ? ax.f1 : ax.f0;
        cell.dy[k] = high_y ? ay.f1 : ay.f0;
        cell.dz[k] = high_z ? az.f1 : az.f0;
        cell.weight[k] = (high_x ? ax.s : ax.t) * (high_y ? ay.s : ay.t) * (high_z ? az.s : az.t);
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
