// Lattice noise, vector noise, their fractal sums and the triangle wave.
#pragma once

#include "geometry/xmath.h"

namespace zy {

extern const double r_table[267];
extern double half_r_table[267];
extern const short hash_table[4096];

void rt_noise_preprocess();
void init_r_table();
double rt_noise(double x, double y, double z);
void rt_dnoise(double x, double y, double z, V3D& out);
double rt_turbulence(double x, double y, double z);
void rt_dturbulence(double x, double y, double z, V3D& out);
double rt_triangle_wave(double v);

}  // namespace zy
