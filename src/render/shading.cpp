#include "render/shading.h"

#include <algorithm>
#include <cmath>

#include "cells/search.h"
#include "materials/materials.h"
#include "render/lights.h"
#include "render/sky.h"
#include "render/surface_material.h"

namespace zy {

namespace {

// Smallest value of cos^2 + ratio^2 that still refracts.
constexpr double kRefractLimit = 1.0000001192093;

struct LightSum {
    RT_COL diffuse{0, 0, 0};
    RT_COL specular{0, 0, 0};
};

// Mirror direction of v about N, kept on the viewer's side of the facet.
V3D mirror_direction(uint8_t back, const TRIANGLE& tri, const V3D& v, const V3D& N, const V3D& normal) {
    const double k = -2 * v3d_scal(N, v);
    V3D r{v.x + k * N.x, v.y + k * N.y, v.z + k * N.z};
    v3d_nrm_unless_degenerate(r);
    const double side = v3d_scal(tri.nrm, r);
    if (back == 1 ? side > 0 : side < 0) r = N;
    if (v3d_scal(normal, r) < 0) v3d_flip(r);
    return r;
}

// Diffuse and specular light of every light that reaches the hit.
LightSum gather_lights(TraceState& ts, const Scene& scene, const TRIANGLE& tri, uint8_t back, const MATERIAL& m,
                       bool metal, const V3D& hit, const CELL* hit_cell, const V3D& normal, const V3D& N,
                       const V3D& r) {
    const RT_VAR& settings = scene.settings;
    LightSum sum;
    for (int32_t i = 0; i < settings.n_light; ++i) {
        const LIGHT& light = settings.lights[i];
        V3D L;
        v3d_sub(light.pos, hit, L);
        const double q = v3d_len_sqr(L);
        double dist = 0.0;
        if (q >= kDegenerateSqr) {
            dist = std::sqrt(q);
            L = {L.x / dist, L.y / dist, L.z / dist};
        }
        double att = 1 / (light.att0 + light.att1 * dist);
        if (!(att > 0)) att = 0;
        if (att < 0.001) continue;
        if (light.kind == 1) {
            const double c = -v3d_scal(L, light.dir);
            if (c <= light.cos_out) continue;
            if (c < light.cos_in) att = att * std::pow((c - light.cos_out) / (light.cos_in - light.cos_out), 10.0);
        }
        const double nl = v3d_scal(L, N);
        if (nl <= 0) continue;
        RT_COL lc = light.col;
        if (settings.light_on == 0) continue;
        if (rt_bright(ts, scene, tri, back, hit, hit_cell, normal, L, dist, lc) == 0) continue;
        const double f = nl * nl * m.diffuse * att;
        sum.diffuse.r += m.color.r * f * lc.r;
        sum.diffuse.g += m.color.g * f * lc.g;
        sum.diffuse.b += m.color.b * f * lc.b;
        if (m.specular > 0) {
            const double rl = v3d_scal(L, r);
            if (rl > 0) {
                const double s = std::pow(rl, m.spec_exp) * m.specular * att;
                if (metal) {
                    sum.specular.r += s * lc.r * m.color.r;
                    sum.specular.g += s * lc.g * m.color.g;
                    sum.specular.b += s * lc.b * m.color.b;
                } else {
                    sum.specular.r += s * lc.r;
                    sum.specular.g += s * lc.g;
                    sum.specular.b += s * lc.b;
                }
            }
        }
    }
    return sum;
}

// A secondary ray from the hit; depth counts it while it is traced.
RT_COL trace_secondary(TraceState& ts, const Scene& scene, const TRIANGLE& tri, const V3D& org, const V3D& dir) {
    RT_RAY ray;  // the walk's fields are set by rt_ray_init and the walk
    ray.org = org;
    ray.dir = dir;
    RT_COL c{0, 0, 0};
    ++ts.rays.secondary;
    rt_intersect(ts, scene, ray, &tri, c);
    return c;
}

void add_weighted(RT_COL& sum, const RT_COL& c, double w, const RT_COL* tint) {
    if (tint != nullptr) {
        sum.r += c.r * w * tint->r;
        sum.g += c.g * w * tint->g;
        sum.b += c.b * w * tint->b;
    } else {
        sum.r += c.r * w;
        sum.g += c.g * w;
        sum.b += c.b * w;
    }
}

}  // namespace

void rt_intersect(TraceState& ts, const Scene& scene, RT_RAY& ray, const TRIANGLE* exclude, RT_COL& colour) {
    rt_ray_init(scene, ray);
    V3D hit;
    double t;
    const TRIANGLE* tri = rt_find_tri(scene, ray, exclude, hit, t);
    double d;
    if (tri != nullptr) {
        double d_light;
        rt_lightsource(scene, ray, t, colour, d_light);
        if (d_light < t) {
            d = d_light;
        } else {
            d = t;
            V3D normal;
            uint8_t back;
            rt_tri_nrm(*tri, ray, hit, normal, back);
            rt_exposure(ts, scene, *tri, back, ray, hit, normal, colour);
        }
    } else if (scene.settings.floor_on == 1) {
        double d_light;
        rt_lightsource(scene, ray, kFltMax, colour, d_light);
        if (d_light < kFltMax)
            d = d_light;
        else
            rt_hemisphere(scene, ray, colour, d);
    } else {
        colour = scene.settings.sky_color1;
        d = kFltMax;
    }
    if (scene.settings.fog_on == 1) rt_fog(scene, d, colour);
}

void rt_exposure(TraceState& ts, const Scene& scene, const TRIANGLE& tri, uint8_t back, const RT_RAY& ray,
                 const V3D& hit, const V3D& normal, RT_COL& colour) {
    const RT_VAR& settings = scene.settings;
    const SURFACE& srf = settings.surfaces[tri.srf_index];
    const bool metal = (srf.srf_flags & kSrfMetal) != 0;
    const bool tinted = (srf.srf_flags & kSrfTinted) != 0;
    MATERIAL m;
    surface_material_at(scene, tri, hit, m);

    const RT_COL& amb = settings.ambient_color;
    const RT_COL A{m.color.r * m.ambient * amb.r, m.color.g * m.ambient * amb.g, m.color.b * m.ambient * amb.b};

    V3D N = normal;
    rt_perturb_nrm(scene, tri, hit, N);
    const V3D& v = ray.dir;
    const V3D r = mirror_direction(back, tri, v, N, normal);

    LightSum light;
    if (m.diffuse > 0 || m.specular > 0)
        light = gather_lights(ts, scene, tri, back, m, metal, hit, ray.cell, normal, N, r);

    double kr = m.reflect;
    RT_COL T{0, 0, 0};
    if (settings.refract_on == 1 && ts.depth < settings.max_depth && m.transp > 0) {
        const double w = m.refraction < _refr_table[1]
                             ? m.transp
                             : m.transp * (m.transp + (1 - m.transp) * std::fabs(v3d_scal(v, N)));
        if (w > 0) {
            ++ts.depth;
            V3D refracted;
            if (rt_refract(back, N, v, m.refraction, refracted) == 1) {
                add_weighted(T, trace_secondary(ts, scene, tri, hit, refracted), w, tinted ? &m.color : nullptr);
            } else if (ts.depth > 1) {
                // Total internal reflection inside a secondary ray: go straight on.
                const RT_COL c = trace_secondary(ts, scene, tri, hit, v);
                T.r += c.r;
                T.g += c.g;
                T.b += c.b;
            } else {
                // At the first level the light goes into the mirror ray instead.
                kr = kr + 1;
                if (kr > 1) kr = 1;
            }
            --ts.depth;
        }
    }

    RT_COL R{0, 0, 0};
    if (settings.reflect_on == 1 && ts.depth < settings.max_depth && kr > 0) {
        ++ts.depth;
        add_weighted(R, trace_secondary(ts, scene, tri, hit, r), kr, metal ? &m.color : nullptr);
        --ts.depth;
    }

    // The highlight replaces a darker base; the surface colour caps its own light.
    const RT_COL& D = light.diffuse;
    const RT_COL& S = light.specular;
    const double br = std::min(m.color.r, A.r + D.r + m.luminous * m.color.r);
    const double bg = std::min(m.color.g, A.g + D.g + m.luminous * m.color.g);
    const double bb = std::min(m.color.b, A.b + D.b + m.luminous * m.color.b);
    colour.r = std::min(1.0, std::max(br, S.r) + R.r + T.r);
    colour.g = std::min(1.0, std::max(bg, S.g) + R.g + T.g);
    colour.b = std::min(1.0, std::max(bb, S.b) + R.b + T.b);
}

int16_t rt_refract(uint8_t back, const V3D& N, const V3D& v, const double& refraction, V3D& out) {
    V3D M{-N.x, -N.y, -N.z};
    double c = v3d_scal(v, M);
    if (c < kFltEpsilon) {
        M = N;
        c = -c;
    }
    const double q = back == 1 ? _refr_table[0] / refraction : refraction / _refr_table[0];
    const double k = c * c + q * q;
    if (k < kRefractLimit) return 0;
    const double s = std::sqrt(k - 1) - c + 1;
    out = {M.x - (M.x - v.x) / s, M.y - (M.y - v.y) / s, M.z - (M.z - v.z) / s};
    v3d_nrm_unless_degenerate(out);
    return 1;
}

}  // namespace zy
