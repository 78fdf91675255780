#include "support/loaded_scene.h"

#include <gtest/gtest.h>

#include <charconv>
#include <sstream>

#include "driver/program_state.h"
#include "geometry/triangle.h"
#include "scene/rt_var.h"

namespace zy::test {

namespace {

// A line of named values, each number as the shortest text that reads back to it.
struct Line {
    std::string text;
    explicit Line(const std::string& name) : text(name) {}
    Line& operator()(double v) {
        char buffer[32];
        text += ' ';
        text.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, v).ptr);
        return *this;
    }
    Line& operator()(const RT_COL& c) { return (*this)(c.r)(c.g)(c.b); }
    Line& operator()(const V3D& v) { return (*this)(v.x)(v.y)(v.z); }
    Line& operator()(const char* name, const auto&... values) {
        text += std::string(" ") + name + ":";
        ((*this)(values), ...);
        return *this;
    }
};

// Each line ends as it is put out.
std::ostream& operator<<(std::ostream& out, const Line& line) { return out << line.text << '\n'; }

Line material_line(const MATERIAL& m) {
    return Line("  material")("color", m.color)("luminous", m.luminous)("ambient", m.ambient)("diffuse", m.diffuse)(
        "specular", m.specular)("exponent", m.spec_exp)("reflect", m.reflect)("transp", m.transp)(
        "refraction", m.refraction);
}

}  // namespace

std::string loaded_settings() {
    const RT_VAR& s = rt_var;
    std::ostringstream out;
    out << "path: " << s.path << " scene: " << scnname << '\n';
    out << Line("picture")("size", s.res_x, s.res_y)("aa", s.aa_tolerance, s.aa_tolerance2)("depth", s.max_depth);
    out << Line("switches")("reflect", s.reflect_on)("refract", s.refract_on)("light", s.light_on)(
        "floor", s.floor_on)("clouds", s.clouds_on)("fog", s.fog_on)("autosave", autosave);
    out << Line("frames")("first", first_frame)("current", s.frame_current)("count", s.frame_count)(
        "wave", s.wave_period);
    out << Line("sky")("height", s.sky_height)("colours", s.sky_color1, s.sky_color2, s.sky_color3);
    out << Line("clouds")("a", s.cloud_a)("b", s.cloud_b)("colours", s.cloud_color1, s.cloud_color2);
    out << Line("fog")("distance", s.fog_distance)("colour", s.fog_color)("ambient", s.ambient_color);
    out << Line("counts")("images", s.n_img)("surfaces", s.n_srf)("lights", s.n_light)("light_refs", s.n_light_ref)(
        "stored", s.n_light_refs_stored)("objects", s.n_obj)("matrices", s.n_mat)("points", s.n_pnt)("tris", s.n_tri);
    for (int i = 0; i < s.n_srf + (s.floor_on ? 1 : 0); ++i) {
        const SURFACE& f = s.surfaces[i];
        out << Line("surface " + std::to_string(i))("pattern", f.ptrn_type, f.ptrn_arg, f.ptrn_scale)(
            "bump", f.bump_type, f.bump_depth, f.bump_scale)("flags", f.srf_flags)(
            "image", f.img_index, f.img_mode, f.img_arg);
        for (const MATERIAL& m : f.mat) out << material_line(m);
    }
    Line objects("objects: triangles");
    for (int i = 0; i < s.n_obj; ++i) objects(s.obj_tri_count[i]);
    out << objects;
    return out.str();
}

std::string loaded_frame(int items) {
    const RT_VAR& s = rt_var;
    std::ostringstream out;
    out << Line("camera")("pov", s.pov)("look_at", s.look_at)("eye", s.eye)("sky", s.sky)("fov", s.fov_x);
    for (int i = 0; i < s.n_light; ++i) {
        const LIGHT& l = s.lights[i];
        out << Line("light " + std::to_string(i))("kind", l.kind)("pos", l.pos)("dir", l.dir)("colour", l.col)(
            "radius", l.radius)("att", l.att0, l.att1)("cos", l.cos_out, l.cos_in);
    }
    for (int i = 0; i < s.n_light_refs_stored; ++i)
        out << Line("light_ref " + std::to_string(i))("light", s.light_refs[i] - s.lights);
    const std::pair<const char*, const MAT4*> matrices[] = {{"pattern", s.ptrn_mat}, {"bump", s.bump_mat},
                                                            {"image", s.img_mat}};
    for (int i = 0; i < s.n_mat; ++i)
        for (const auto& [name, m] : matrices) {
            Line line("matrix " + std::to_string(i) + " " + name);
            for (const auto& row : m[i].m) line(row[0])(row[1])(row[2])(row[3]);
            out << line;
        }
    for (int i = 0; i < items && i < s.n_pnt; ++i) out << Line("point " + std::to_string(i))(s.points[i]);
    for (int i = 0; i < items && i < s.n_tri; ++i) {
        const TRIANGLE& t = s.tris[i];
        out << Line("triangle " + std::to_string(i))("v", t.v[0] - s.points, t.v[1] - s.points, t.v[2] - s.points)(
            "surface", t.srf_index)("matrix", t.mat_index)("flags", t.flags)("group", t.group)("plane", t.nrm, t.d)(
            "normals", vertex_normal(t, 0), vertex_normal(t, 1), vertex_normal(t, 2));
    }
    return out.str();
}

std::string loaded_images() {
    const RT_VAR& s = rt_var;
    std::ostringstream out;
    for (int i = 0; i < s.n_img; ++i) {
        const IIM_IMAGE& img = s.images[i];
        Line line("image " + std::to_string(i) + " " + s.img_names[i]);
        line("type", img.type)("size", img.width, img.height)("pixels");
        for (int64_t b = 0; img.pixels != nullptr && b < img.size; ++b) line(img.pixels[b]);
        out << line;
    }
    return out.str();
}

void expect_recorded(const std::string& text, const fs::path& data_file) {
    const auto bytes = read_bytes(data_file);
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::string recorded;
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && !line.starts_with('#')) recorded += line + '\n';
    EXPECT_EQ(text, recorded) << data_file;
}

}  // namespace zy::test
