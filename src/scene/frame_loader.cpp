#include "scene/frame_loader.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "driver/program_state.h"
#include "driver/stop.h"
#include "driver/xfile.h"
#include "geometry/camera.h"
#include "geometry/triangle.h"
#include "names/file_names.h"
#include "scene/records.h"
#include "scene/rt_var.h"

namespace zy {

namespace {

// Every block has the same size; blocks are read one after the other from the
// first frame of the run on.
bool sized = false;
int64_t block_size = 0;
int64_t next_offset = 0;

void read_or_stop(void* destination, int32_t length) {
    if (xf_read(destination, length) != 0) ZY_STOP(kErrRead);
}

bool finite(const V3S& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

bool finite(const MAT4_64& m) {
    for (const auto& row : m.m)
        for (double e : row)
            if (!std::isfinite(e)) return false;
    return true;
}

V3D widen(const V3S& v) { return {v.x, v.y, v.z}; }

// Distance attenuation by file code: the linear term.
constexpr double kAttenuation[4] = {0.0, 0.0005, 0.0025, 0.025};

void rebuild_light_refs() {
    rt_var.n_light_refs_stored = 0;
    for (int i = 0; i < rt_var.n_light && rt_var.n_light_refs_stored < rt_var.n_light_ref; ++i)
        if (rt_var.lights[i].radius > 0) rt_var.light_refs[rt_var.n_light_refs_stored++] = &rt_var.lights[i];
}

void read_matrix(MAT4& destination) {
    MAT4_64 rec;
    read_or_stop(&rec, sizeof rec);
    translate_MAT4_64(&rec);
    if (!finite(rec)) ZY_STOP(kErrFormat);
    mat4_64_2_mat4(&rec, &destination);
}

// Indices must stay inside the arrays they select; n_srf is the floor's surface,
// which exists only when the floor is on.
void check_triangle(const RT_TRI& rec) {
    for (int32_t index : rec.vertex)
        if (index < 0 || index >= rt_var.n_pnt) ZY_STOP(kErrFormat);
    if (rec.mat_index >= rt_var.n_mat) ZY_STOP(kErrFormat);
    if (rec.srf < 0 || rec.srf > rt_var.n_srf || (rec.srf == rt_var.n_srf && rt_var.floor_on == 0))
        ZY_STOP(kErrInternal);
}

}  // namespace

void reset_frame_loader() {
    sized = false;
    block_size = 0;
    next_offset = 0;
}

void rt_load_frame(int16_t frame) {
    char name[500];
    std::snprintf(name, sizeof name, "%s%s", rt_var.path, scnname);
    extension(name, ".SYS");
    if (frame == first_frame || !sized) {
        // A missing file counts as a format error too.
        const int32_t size = xf_size(name);
        if (size < 0 || rt_var.frame_count <= 0 || size % rt_var.frame_count != 0) ZY_STOP(kErrFormat);
        block_size = size / rt_var.frame_count;
        next_offset = frame * block_size;
        sized = true;
    }
    if (xf_ropen(name, static_cast<int32_t>(next_offset)) < 0) ZY_STOP(kErrOpen);
    rt_read_frame();
    xf_rclose();
    next_offset += block_size;
}

void rt_read_frame() {
    char magic[8];
    read_or_stop(magic, 8);
    if (std::memcmp(magic, "RT_FRAME", 8) != 0) ZY_STOP(kErrFormat);
    rt_read_cam();
    rt_read_light();
    rt_read_matrix();
    rt_read_pnt();
    rt_read_tri();
    rt_pov_relative(rt_var.eye);
    rt_pov_relative(rt_var.look_at);
}

void rt_read_cam() {
    RT_CAM rec;
    read_or_stop(&rec, sizeof rec);
    translate_RT_CAM(&rec);
    double angle;
    trans_double64_2_double(reinterpret_cast<const unsigned char*>(&rec) + offsetof(RT_CAM, fov), &angle);
    if (!finite(rec.eye) || !finite(rec.look_at) || !finite(rec.sky) || !std::isfinite(angle))
        ZY_STOP(kErrFormat);
    rt_var.eye = widen(rec.eye);
    rt_var.look_at = widen(rec.look_at);
    // The target stays absolute in pov: the origin of the frame's coordinates.
    rt_var.pov = widen(rec.look_at);
    rt_var.sky = {-static_cast<double>(rec.sky.x), -static_cast<double>(rec.sky.y), -static_cast<double>(rec.sky.z)};
    rt_var.fov_x = angle / 2.0;
}

void rt_read_light() {
    for (int i = 0; i < rt_var.n_light; ++i) {
        RT_LIGHT rec;
        read_or_stop(&rec, sizeof rec);
        translate_RT_LIGHT(&rec);
        if (!finite(rec.pos) || !finite(rec.dir) || !std::isfinite(rec.radius)) ZY_STOP(kErrFormat);
        if (rec.attenuation < 0 || rec.attenuation > 3) ZY_STOP(kErrFormat);
        LIGHT& light = rt_var.lights[i];
        light.kind = rec.kind;
        light.pos = widen(rec.pos);
        light.dir = widen(rec.dir);
        light.col = {rec.color[0] / kByteScale, rec.color[1] / kByteScale, rec.color[2] / kByteScale};
        light.radius = rec.radius;
        light.att0 = 1.0;
        light.att1 = kAttenuation[rec.attenuation];
        light.cos_out = std::cos(rec.cone_angle / 2.0 * kDegree);
        light.cos_in = std::cos((100.0 - rec.cone_soft) * rec.cone_angle / 100.0 / 2.0 * kDegree);
        rt_pov_relative(light.pos);
    }
    rebuild_light_refs();
}

void rt_read_matrix() {
    for (int i = 0; i < rt_var.n_mat; ++i) {
        read_matrix(rt_var.ptrn_mat[i]);
        read_matrix(rt_var.bump_mat[i]);
        read_matrix(rt_var.img_mat[i]);
    }
}

void rt_read_pnt() {
    for (int32_t i = 0; i < rt_var.n_pnt; ++i) {
        V3S rec;
        read_or_stop(&rec, sizeof rec);
        translate_V3S(&rec);
        if (!finite(rec)) ZY_STOP(kErrFormat);
        rt_var.points[i] = widen(rec);
        rt_pov_relative(rt_var.points[i]);
    }
}

void rt_read_tri() {
    for (int32_t i = 0; i < rt_var.n_tri; ++i) {
        RT_TRI rec;
        read_or_stop(&rec, sizeof rec);
        translate_RT_TRI(&rec);
        check_triangle(rec);

        TRIANGLE& tri = rt_var.tris[i];
        const SURFACE& surface = rt_var.surfaces[rec.srf];
        tri.flags = rec.smooth == 0 ? kTriFlat : 0;
        if (surface.mat[0].transp == 0.0 && surface.mat[1].transp == 0.0) tri.flags |= kTriOpaque;
        tri.mat_index = rec.mat_index;
        tri.group = 0;
        tri.srf_index = rec.srf;
        for (int k = 0; k < 3; ++k) {
            tri.v[k] = &rt_var.points[rec.vertex[k]];
            tri.vn[k] = rec.normal[k];
        }
        rt_tri_init(tri);
    }
}

}  // namespace zy
