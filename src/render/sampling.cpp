#include "render/sampling.h"

#include <cmath>

#include "render/shading.h"

namespace zy {

namespace {

void sample_at(TraceState& ts, const Scene& scene, double x, double y, RT_COL& colour) {
    const RT_VAR& settings = scene.settings;
    const V3D& dx = settings.pixel_dx;
    const V3D& dy = settings.pixel_dy;
    const V3D& origin = settings.pixel_origin;
    RT_RAY& ray = ts.scene_ray;
    ray.org = settings.eye;
    ray.dir = {dx.x * x + origin.x - dy.x * y, dx.y * x + origin.y - dy.y * y, dx.z * x + origin.z - dy.z * y};
    ++ts.rays.primary;
    rt_intersect(ts, scene, ray, nullptr, colour);
    colour.r = RT_GAMMA_CORRECT(colour.r);
    colour.g = RT_GAMMA_CORRECT(colour.g);
    colour.b = RT_GAMMA_CORRECT(colour.b);
}

double distance(const RT_COL& a, const RT_COL& b) {
    return std::fabs(a.r - b.r) + std::fabs(a.g - b.g) + std::fabs(a.b - b.b);
}

void store(const BandRows& rows, int row, int32_t column, const RT_COL& c) {
    if (column >= rows.width) return;  // the spare column of an odd width
    uint8_t* p = rows.bytes + (static_cast<std::size_t>(row) * rows.width + column) * 3;
    p[0] = colour_byte(c.r);
    p[1] = colour_byte(c.g);
    p[2] = colour_byte(c.b);
}

// The pixel's own value and its three sub-pixel samples, equally weighted.
void average_in(RT_COL& p, const RT_COL s[3]) {
    p.r = (s[0].r + p.r + s[1].r + s[2].r) / 4;
    p.g = (s[0].g + p.g + s[1].g + s[2].g) / 4;
    p.b = (s[0].b + p.b + s[1].b + s[2].b) / 4;
}

}  // namespace

void rt_sample(TraceState& ts, const Scene& scene, int32_t x, int32_t y, RT_COL& colour) {
    sample_at(ts, scene, static_cast<double>(x), static_cast<double>(y), colour);
}

void rt_sample3(TraceState& ts, const Scene& scene, int32_t x, int32_t y, RT_COL s[3]) {
    const double fx = x, fy = y;
    sample_at(ts, scene, fx + 0.5, fy, s[0]);
    sample_at(ts, scene, fx, fy + 0.5, s[1]);
    sample_at(ts, scene, fx + 0.5, fy + 0.5, s[2]);
}

int16_t rt_col_cmp(const RT_COL& a, const RT_COL& b, const RT_COL& c, const RT_COL& d, const double& tol) {
    if (tol <= 0.0) return 1;
    if (tol >= 1.0) return 0;
    const bool apart = distance(a, b) > tol || distance(a, c) > tol || distance(a, d) > tol ||
                       distance(b, c) > tol || distance(b, d) > tol || distance(c, d) > tol;
    return apart ? 1 : 0;
}

void rt_area(TraceState& ts, const Scene& scene, int32_t x, int32_t y, const BandRows& rows) {
    RT_COL* m = ts.col_matrix;
    if (rt_col_cmp(m[0], m[2], m[6], m[8], scene.settings.aa_tolerance)) {
        rt_sample(ts, scene, x + 1, y, m[1]);
        rt_sample(ts, scene, x, y + 1, m[3]);
        rt_sample(ts, scene, x + 1, y + 1, m[4]);
        // m5 and m7, at (x + 2, y + 1) and (x + 1, y + 2), belong to the
        // neighbouring blocks and nothing reads them here: a sample changes
        // nothing but its own colour, so they are not traced.
        rt_antialias(ts, scene, x, y);
    } else {
        m[1] = {(m[2].r + m[0].r) / 2, (m[2].g + m[0].g) / 2, (m[2].b + m[0].b) / 2};
        m[3] = {(m[6].r + m[0].r) / 2, (m[6].g + m[0].g) / 2, (m[6].b + m[0].b) / 2};
        m[4] = {(m[2].r + m[0].r + m[6].r + m[8].r) / 4, (m[2].g + m[0].g + m[6].g + m[8].g) / 4,
                (m[2].b + m[0].b + m[6].b + m[8].b) / 4};
    }
    store(rows, 0, x, m[0]);
    store(rows, 0, x + 1, m[1]);
    store(rows, 1, x, m[3]);
    store(rows, 1, x + 1, m[4]);
}

void rt_antialias(TraceState& ts, const Scene& scene, int32_t x, int32_t y) {
    struct Test {
        int a, b, c, d;  // the colours compared
        int dx, dy;      // the pixel supersampled, relative to the block
        int pixel;       // the entry it replaces
    };
    // Tests 2 to 4 compare with the corners, not with the traced m5 and m7.
    static constexpr Test kTests[4] = {
        {0, 1, 3, 4, 0, 0, 0}, {1, 2, 4, 8, 1, 0, 1}, {3, 4, 6, 8, 0, 1, 3}, {4, 2, 6, 8, 1, 1, 4}};
    RT_COL* m = ts.col_matrix;
    for (const Test& t : kTests) {
        if (!rt_col_cmp(m[t.a], m[t.b], m[t.c], m[t.d], scene.settings.aa_tolerance2)) continue;
        RT_COL s[3];
        rt_sample3(ts, scene, x + t.dx, y + t.dy, s);
        average_in(m[t.pixel], s);
    }
}

}  // namespace zy
