// Placeholders for the rooms that are still being built; each is removed when
// its real routine lands.
#include <cstdio>

#include "cells/cells.h"
#include "geometry/camera.h"
#include "geometry/floor.h"
#include "materials/materials.h"
#include "materials/noise.h"
#include "render/render.h"
#include "scene/frame_loader.h"
#include "scene/image_loader.h"

namespace zy {

void rt_read_images() {}
void rt_noise_preprocess() {}
void rt_ptrn_material(TraceState&, const TRIANGLE& tri, const V3D&, MATERIAL& out) { out = rt_var.surfaces[tri.srf_index].mat[0]; }
void rt_img_material(const TRIANGLE& tri, const V3D&, MATERIAL& out) { out = rt_var.surfaces[tri.srf_index].mat[0]; }
void rt_perturb_nrm(TraceState&, const TRIANGLE&, const V3D&, V3D&) {}
double rt_noise(double, double, double) { return 0.5; }
void rt_dturbulence(double, double, double, V3D& out) { out = {0, 0, 0}; }

}  // namespace zy
