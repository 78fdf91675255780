#include "scene/settings_loader.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "driver/memoire.h"
#include "driver/program_state.h"
#include "driver/stop.h"
#include "driver/xfile.h"
#include "geometry/floor.h"
#include "names/file_names.h"
#include "scene/material_conversion.h"
#include "scene/records.h"
#include "scene/rt_var.h"

namespace zy {

namespace {

void read_or_stop(void* destination, int32_t length) {
    if (xf_read(destination, length) != 0) ZY_STOP(kErrRead);
}

// Copies a possibly unterminated string field, keeping one character less than
// its size when it has no terminating zero.
void copy_field(char* destination, const char* source, std::size_t size) {
    std::size_t n = 0;
    while (n + 1 < size && source[n] != '\0') ++n;
    std::memcpy(destination, source, n);
    destination[n] = '\0';
}

RT_COL colour_of(const uint8_t rgb[3]) {
    return {rgb[0] / kByteScale, rgb[1] / kByteScale, rgb[2] / kByteScale};
}

void check_counts(const RT_INF& inf) {
    const bool negative = inf.n_mat < 0 || inf.n_img < 0 || inf.n_srf < 0 || inf.n_light < 0 ||
                          inf.n_light_ref < 0 || inf.n_obj < 0 || inf.n_pnt < 0 || inf.n_tri < 0;
    if (negative || inf.n_img > kMaxImages) ZY_STOP(kErrFormat);
    if (inf.res_x < 1 || inf.res_y < 1 || inf.res_y > 32766) ZY_STOP(kErrFormat);
    if (inf.max_depth > 64 || !std::isfinite(inf.fog_distance)) ZY_STOP(kErrFormat);
    if (inf.flags & kInfFloor) {
        const SurfaceChoice floor{inf.floor_mat,        inf.floor_ptrn_type,  inf.floor_ptrn_arg,
                                  inf.floor_bump_type,  inf.floor_ptrn_scale, inf.floor_bump_depth,
                                  inf.floor_bump_scale, 0.0f,                 0,
                                  0,                    0};
        if (!surface_choice_valid(floor, inf.wave_period, inf.n_img)) ZY_STOP(kErrFormat);
    }
}

// All the arrays together, before the first is allocated: a scene larger than
// the machine stops here rather than being killed by the system once the pages
// are touched (allocations themselves rarely fail on an overcommitting system).
void check_memory(const RT_INF& inf) {
    if (announced_array_bytes(inf) > physical_memory_bytes()) ZY_STOP(kErrMemory);
}

void allocate_or_stop(void*& pointer, std::size_t count, std::size_t size) {
    pointer = my_malloc(count * size);
    if (pointer == nullptr) ZY_STOP(kErrMemory);
}

template <typename T>
void allocate_array(T*& pointer, std::size_t count) {
    void* p = nullptr;
    if constexpr (alignof(T) > alignof(std::max_align_t)) {
        // Room to start on T's alignment; the block is only ever released whole.
        allocate_or_stop(p, count + 1, sizeof(T));
        p = align_up(p, alignof(T));
    } else {
        allocate_or_stop(p, count, sizeof(T));
    }
    pointer = static_cast<T*>(p);
}

void read_surfaces(int16_t wave_period) {
    for (int i = 0; i < rt_var.n_srf; ++i) {
        RT_SRF rec;
        read_or_stop(&rec, sizeof rec);
        translate_RT_SRF(&rec);
        const SurfaceChoice choice{rec.mat,        rec.ptrn_type,  rec.ptrn_arg,  rec.bump_type,
                                   rec.ptrn_scale, rec.bump_depth, rec.bump_scale, rec.img_arg,
                                   rec.img_mode,   rec.img_index,  rec.srf_flags};
        if (!surface_choice_valid(choice, wave_period, rt_var.n_img)) ZY_STOP(kErrFormat);
        SURFACE& s = rt_var.surfaces[i];
        for (int k = 0; k < 2; ++k) s.mat[k] = material_from_block(rec.mat[k], kByteScale);
        s.img_mode = rec.img_mode;
        s.img_index = rec.img_index;
        s.ptrn_type = rec.ptrn_type;
        s.ptrn_arg = rec.ptrn_arg;
        s.bump_type = rec.bump_type;
        s.srf_flags = rec.srf_flags;
        s.img_arg = rec.img_arg;
        s.ptrn_scale = rec.ptrn_scale;
        s.bump_depth = rec.bump_depth;
        s.bump_scale = rec.bump_scale;
    }
}

void fill_floor_surface(const RT_INF& inf) {
    SURFACE& s = rt_var.surfaces[rt_var.n_srf];
    // The floor's colours are scaled by exactly 255, unlike the other surfaces'.
    for (int k = 0; k < 2; ++k) s.mat[k] = material_from_block(inf.floor_mat[k], 255.0);
    // The floor has no texture image, so its image flag is ignored.
    s.img_mode = 0;
    s.img_index = 255;
    s.img_arg = 0.0;
    s.ptrn_type = inf.floor_ptrn_type;
    s.ptrn_arg = inf.floor_ptrn_arg;
    s.bump_type = inf.floor_bump_type;
    s.srf_flags = static_cast<uint8_t>(inf.floor_srf_flags & ~kSrfImage);
    s.ptrn_scale = inf.floor_ptrn_scale;
    s.bump_depth = inf.floor_bump_depth;
    s.bump_scale = inf.floor_bump_scale;
}

void read_object_sizes() {
    int64_t total = 0;
    bool negative = false;
    for (int i = 0; i < rt_var.n_obj; ++i) {
        unsigned char bytes[4];
        read_or_stop(bytes, 4);
        rt_var.obj_tri_count[i] = read_be32(bytes);
        negative = negative || rt_var.obj_tri_count[i] < 0;
        total += rt_var.obj_tri_count[i];
    }
    // The grouping walks the objects' triangles: they must all exist.
    if (negative || total > rt_var.n_tri) ZY_STOP(kErrFormat);
}

RT_INF read_settings_record() {
    char magic[8];
    read_or_stop(magic, 8);
    if (std::memcmp(magic, "RT_INFO ", 8) != 0) ZY_STOP(kErrFormat);
    RT_INF inf;
    read_or_stop(&inf, sizeof inf);
    translate_RT_INF(&inf);
    check_counts(inf);
    check_memory(inf);
    return inf;
}

void take_picture_settings(const RT_INF& inf) {
    copy_field(rt_var.path, inf.path, sizeof inf.path);
    rt_var.res_x = inf.res_x;
    rt_var.res_y = inf.res_y;
    rt_var.light_on = (inf.flags & kInfLights) ? 1 : 0;
    rt_var.reflect_on = (inf.flags & kInfReflect) ? 1 : 0;
    rt_var.refract_on = (inf.flags & kInfRefract) ? 1 : 0;
    rt_var.floor_on = (inf.flags & kInfFloor) ? 1 : 0;
    rt_var.fog_on = (inf.flags & kInfFog) ? 1 : 0;
    rt_var.clouds_on = (inf.flags & kInfClouds) ? 1 : 0;
    rt_var.max_depth = inf.max_depth;
    switch (inf.aa_level) {
        case 0: rt_var.aa_tolerance = 0.8; rt_var.aa_tolerance2 = 1.0; break;
        case 1: rt_var.aa_tolerance = 0.2; rt_var.aa_tolerance2 = 0.8; break;
        case 2: rt_var.aa_tolerance = 0.0; rt_var.aa_tolerance2 = 0.2; break;
        default: break;
    }
}

void take_sky_fog_and_floor(const RT_INF& inf) {
    rt_var.sky_height = inf.sky_height * kSkyTop / 100.0;
    rt_var.sky_color1 = colour_of(inf.sky_color1);
    rt_var.sky_color2 = colour_of(inf.sky_color2);
    rt_var.sky_color3 = colour_of(inf.sky_color3);
    rt_var.cloud_color1 = colour_of(inf.cloud_color1);
    rt_var.cloud_color2 = colour_of(inf.cloud_color2);
    rt_var.fog_color = colour_of(inf.fog_color);
    rt_var.ambient_color = colour_of(inf.ambient_color);
    rt_var.cloud_a = inf.cloud_a / 100.0;
    rt_var.cloud_b = inf.cloud_b / 100.0 + 0.5;
    rt_var.fog_distance = inf.fog_distance;
    // 1 % beyond the rim of the sky dome at ground level.
    static_assert(kSkyCentreDepth / kSkyRadius == 0.9953125);
    rt_var.floor_radius = std::fabs(std::sin(0.5 * kPi - std::asin(kSkyCentreDepth / kSkyRadius))) * kSkyRadius * 1.01;
    floor_radius_sqr = rt_var.floor_radius * rt_var.floor_radius;
}

void take_frames_and_counts(const RT_INF& inf) {
    rt_var.frame_current = inf.frame_start;
    rt_var.frame_start = inf.frame_start;
    rt_var.frame_count = inf.frame_count;
    rt_var.wave_period = inf.wave_period;
    rt_var.n_mat = inf.n_mat;
    rt_var.n_img = inf.n_img;
    rt_var.n_srf = inf.n_srf;
    rt_var.n_light = inf.n_light;
    rt_var.n_light_ref = inf.n_light_ref;
    rt_var.n_obj = inf.n_obj;
    rt_var.n_pnt = inf.n_pnt;
    rt_var.n_tri = inf.n_tri;
}

// One surface more than the file holds: the floor's, there even with the floor off.
void allocate_scene_arrays() {
    const auto n = [](auto count) { return static_cast<std::size_t>(count); };
    if (rt_var.n_mat != 0) {
        allocate_array(rt_var.ptrn_mat, n(rt_var.n_mat));
        allocate_array(rt_var.bump_mat, n(rt_var.n_mat));
        allocate_array(rt_var.img_mat, n(rt_var.n_mat));
    }
    if (rt_var.n_img != 0) allocate_array(rt_var.images, n(rt_var.n_img));
    allocate_array(rt_var.surfaces, n(rt_var.n_srf) + 1);
    if (rt_var.n_light != 0) {
        allocate_array(rt_var.lights, n(rt_var.n_light));
        if (rt_var.n_light_ref != 0) allocate_array(rt_var.light_refs, n(rt_var.n_light_ref));
    }
    if (rt_var.n_obj != 0) allocate_array(rt_var.obj_tri_count, n(rt_var.n_obj));
    if (rt_var.n_pnt != 0) allocate_array(rt_var.points, n(rt_var.n_pnt));
    if (rt_var.n_tri != 0) allocate_array(rt_var.tris, n(rt_var.n_tri));
}

void read_image_names() {
    for (int i = 0; i < rt_var.n_img; ++i) {
        char name[80];
        read_or_stop(name, 80);
        std::memcpy(rt_var.img_names[i], name, 80);
        rt_var.img_names[i][80] = '\0';
    }
}

}  // namespace

uint64_t announced_array_bytes(const RT_INF& inf) {
    const auto n = [](auto count) { return count < 0 ? uint64_t{0} : static_cast<uint64_t>(count); };
    uint64_t bytes = 3 * n(inf.n_mat) * sizeof(MAT4) + n(inf.n_img) * sizeof(IIM_IMAGE) +
                     (n(inf.n_srf) + 1) * sizeof(SURFACE) + n(inf.n_obj) * sizeof(int32_t) +
                     n(inf.n_pnt) * sizeof(V3D) + n(inf.n_tri) * sizeof(TRIANGLE);
    if (inf.n_light > 0) bytes += n(inf.n_light) * sizeof(LIGHT) + n(inf.n_light_ref) * sizeof(LIGHT*);
    return bytes;
}

void rt_read_info() {
    const RT_INF inf = read_settings_record();
    take_picture_settings(inf);
    take_sky_fog_and_floor(inf);
    take_frames_and_counts(inf);
    allocate_scene_arrays();
    read_image_names();
    read_surfaces(inf.wave_period);
    read_object_sizes();
    if (rt_var.floor_on) fill_floor_surface(inf);
    rt_floor_preprocess();
    autosave = (inf.options & 1) ? 1 : 0;
}

void rt_load_info() {
    char name[500];
    std::snprintf(name, sizeof name, "%sZY_SHADE.XPA", prg_var);
    if (xf_ropen(name, 0) < 0) ZY_STOP(kErrOpen);
    char magic[8];
    read_or_stop(magic, 8);
    if (std::memcmp(magic, "RT_PATH ", 8) != 0) ZY_STOP(kErrFormat);
    char directory[141];
    char scene[14];
    read_or_stop(directory, sizeof directory);
    read_or_stop(scene, sizeof scene);
    xf_rclose();
    copy_field(scnname, scene, sizeof scene);

    char dir[141];
    copy_field(dir, directory, sizeof directory);
    std::snprintf(name, sizeof name, "%s%s", dir, scnname);
    extension(name, ".INF");
    if (xf_ropen(name, 0) < 0) ZY_STOP(kErrOpen);
    rt_read_info();
    xf_rclose();

    std::snprintf(name, sizeof name, "%s%s", rt_var.path, scnname);
    extension(name, ".BRK");
    if (exist(name, 0)) {
        if (xf_ropen(name, 0) < 0) ZY_STOP(kErrOpen);
        unsigned char frame[2], line[2];
        read_or_stop(frame, 2);
        read_or_stop(line, 2);
        xf_rclose();
        const int16_t f = read_be16(frame);
        const int16_t l = read_be16(line);
        if (f < 0 || l < 0 || (l & 1)) ZY_STOP(kErrFormat);
        first_frame = f;
        first_line = l;
        actframe = f;
        rt_var.frame_current = f;
    }
}

}  // namespace zy
