// The material of a patterned surface: pattern space, orientation, dispatch,
// and the blend of the surface's two materials.
#include "materials/materials.h"
#include "materials/patterns.h"

namespace zy {

constexpr std::array<PatternRoutine, kPatternCount + 1> ptrn_table = {
    nullptr,
    _ptrn_marble1,       _ptrn_marble2,      _ptrn_marble3,        _ptrn_marble4,
    _ptrn_granite,       _ptrn_stone,        _ptrn_wood_massive,   _ptrn_wood_ledges,
    _ptrn_random1,       _ptrn_random2,      _ptrn_random3,        _ptrn_random4,
    _ptrn_strips1,       _ptrn_strips2,      _ptrn_strips3,        _ptrn_strips4,
    _ptrn_spotted1,      _ptrn_spotted2,     _ptrn_dotted1,        _ptrn_dotted2,
    _ptrn_soap,          _ptrn_turbulent,    _ptrn_spherical,      _ptrn_multi_color,
    _ptrn_tiles_regular, _ptrn_tiles_shift,  _ptrn_tiles_narrow,   _ptrn_checkered,
    _ptrn_checkered_query, _ptrn_free1,      _ptrn_free2,          _ptrn_free3,
};
static_assert(ptrn_table.size() == 33 && ptrn_table[0] == nullptr);

constexpr std::array<DirRoutine, kDirCount + 1> ptrn_dir_table = {nullptr, _ptrn_dir_y, _ptrn_dir_z,
                                                                  _ptrn_dir_across};
static_assert(ptrn_dir_table.size() == 4 && ptrn_dir_table[0] == nullptr);

void _ptrn_dir_y(V3D& p) { p = {p.y, p.x, p.z}; }

void _ptrn_dir_z(V3D& p) { p = {p.z, p.x, p.y}; }

void _ptrn_dir_across(V3D& p) {
    const V3D q = p;
    p.x = 0.5 * q.x + 0.5 * q.y - 0.7071068 * q.z;
    p.y = -0.1464466 * q.x + 0.8535534 * q.y + 0.5 * q.z;
    p.z = 0.8535534 * q.x - 0.1464466 * q.y + 0.5 * q.z;
}

void blend_materials(const MATERIAL& a, const MATERIAL& b, double t, MATERIAL& out) {
    const double s = 1.0 - t;
    out.color.r = t * b.color.r + s * a.color.r;
    out.color.g = t * b.color.g + s * a.color.g;
    out.color.b = t * b.color.b + s * a.color.b;
    out.luminous = t * b.luminous + s * a.luminous;
    out.ambient = t * b.ambient + s * a.ambient;
    out.diffuse = t * b.diffuse + s * a.diffuse;
    out.specular = t * b.specular + s * a.specular;
    out.spec_exp = t * b.spec_exp + s * a.spec_exp;
    out.reflect = t * b.reflect + s * a.reflect;
    out.transp = t * b.transp + s * a.transp;
    out.refraction = t * b.refraction + s * a.refraction;
}

void rt_material(const SURFACE& srf, double& t, MATERIAL& out) {
    if (t < 0.0)
        t = 0.0;
    else if (t > 1.0)
        t = 1.0;
    blend_materials(srf.mat[0], srf.mat[1], t, out);
}

void rt_ptrn_material(const Scene& scene, const TRIANGLE& tri, const V3D& point, MATERIAL& out) {
    const RT_VAR& settings = scene.settings;
    const SURFACE& srf = settings.surfaces[tri.srf_index];
    V3D p;
    v3d_add(point, settings.pov, p);
    if (tri.mat_index >= 0) v3d_trnsf(p, p, settings.ptrn_mat[tri.mat_index]);
    const double offset = pattern_offset(srf);
    const double k = 1.0 / srf.ptrn_scale;
    p.x *= k;
    p.y *= k;
    p.z *= k;
    if (const DirRoutine dir = ptrn_dir_table[srf.ptrn_arg]) dir(p);
    ptrn_table[srf.ptrn_type](offset, p, srf, out);
}

}  // namespace zy
