#include <cmath>

#include "geometry/xmath.h"
#include "zyscene/mesh.h"

namespace zy::zyscene {

namespace {

double dot(const V3D& a, const V3D& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Either every point is given with its normal, which the corners at it
// must have, or none is and the triangles keep their corners' normals.
class Builder {
public:
    void reserve(std::size_t points, std::size_t tris) {
        mesh_.points.reserve(points);
        mesh_.point_normals.reserve(points);
        mesh_.tris.reserve(tris);
    }

    int32_t point(const V3D& p) {
        mesh_.points.push_back(p);
        return static_cast<int32_t>(mesh_.points.size() - 1);
    }

    int32_t point(const V3D& p, const V3D& normal) {
        mesh_.point_normals.push_back(normal);
        return point(p);
    }

    // Orders the corners so that the plane normal agrees with the corner normals.
    void tri(int32_t a, int32_t b, int32_t c, V3D na, V3D nb, V3D nc) {
        const V3D& pa = mesh_.points[a];
        const V3D& pb = mesh_.points[b];
        const V3D& pc = mesh_.points[c];
        const V3D e1{pb.x - pa.x, pb.y - pa.y, pb.z - pa.z};
        const V3D e2{pc.x - pa.x, pc.y - pa.y, pc.z - pa.z};
        const V3D n{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
        const V3D sum{na.x + nb.x + nc.x, na.y + nb.y + nc.y, na.z + nb.z + nc.z};
        if (dot(n, sum) < 0) {
            std::swap(b, c);
            std::swap(nb, nc);
        }
        mesh_.tris.push_back({a, b, c});
        if (mesh_.point_normals.empty()) mesh_.normals.push_back({na, nb, nc});
    }

    void quad(int32_t a, int32_t b, int32_t c, int32_t d, const V3D& na, const V3D& nb, const V3D& nc,
              const V3D& nd) {
        tri(a, b, c, na, nb, nc);
        tri(a, c, d, na, nc, nd);
    }

    Mesh take() { return std::move(mesh_); }

private:
    Mesh mesh_;
};

Mesh box(const BoxShape& s) {
    Builder b;
    const V3D h{s.size.x / 2, s.size.y / 2, s.size.z / 2};
    int32_t corner[2][2][2];
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j)
            for (int k = 0; k < 2; ++k) corner[i][j][k] = b.point({i ? h.x : -h.x, j ? h.y : -h.y, k ? h.z : -h.z});
    for (int side = 0; side < 2; ++side) {
        const double sign = side ? 1.0 : -1.0;
        const V3D nx{sign, 0, 0}, ny{0, sign, 0}, nz{0, 0, sign};
        b.quad(corner[side][0][0], corner[side][1][0], corner[side][1][1], corner[side][0][1], nx, nx, nx, nx);
        b.quad(corner[0][side][0], corner[1][side][0], corner[1][side][1], corner[0][side][1], ny, ny, ny, ny);
        b.quad(corner[0][0][side], corner[1][0][side], corner[1][1][side], corner[0][1][side], nz, nz, nz, nz);
    }
    return b.take();
}

V3D on_circle(double angle, double y) { return {std::cos(angle), y, std::sin(angle)}; }

Mesh sphere(const SphereShape& s) {
    Builder b;
    const auto points = static_cast<std::size_t>(s.rings - 1) * s.segments + 2;
    b.reserve(points, 2 * (points - 2));
    const V3D up{0, 1, 0}, down{0, -1, 0};
    const int32_t north = b.point({0, s.radius, 0}, up);
    const int32_t south = b.point({0, -s.radius, 0}, down);
    // ring[k][j]: ring k = 1 .. rings - 1 from the north pole, segment j.
    std::vector<std::vector<int32_t>> ring(s.rings);
    std::vector<std::vector<V3D>> normal(s.rings);
    for (int k = 1; k < s.rings; ++k)
        for (int j = 0; j < s.segments; ++j) {
            const double theta = kPi * k / s.rings;
            const double phi = 2 * kPi * j / s.segments;
            const V3D n{std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi)};
            normal[k].push_back(n);
            ring[k].push_back(b.point({n.x * s.radius, n.y * s.radius, n.z * s.radius}, n));
        }
    for (int j = 0; j < s.segments; ++j) {
        const int j2 = (j + 1) % s.segments;
        b.tri(north, ring[1][j], ring[1][j2], up, normal[1][j], normal[1][j2]);
        for (int k = 1; k + 1 < s.rings; ++k)
            b.quad(ring[k][j], ring[k + 1][j], ring[k + 1][j2], ring[k][j2], normal[k][j], normal[k + 1][j],
                   normal[k + 1][j2], normal[k][j2]);
        const int last = s.rings - 1;
        b.tri(south, ring[last][j2], ring[last][j], down, normal[last][j2], normal[last][j]);
    }
    return b.take();
}

Mesh cylinder(const CylinderShape& c) {
    Builder b;
    const double half = c.height / 2;
    std::vector<int32_t> top, bottom;
    std::vector<V3D> radial;
    for (int j = 0; j < c.segments; ++j) {
        const V3D n = on_circle(2 * kPi * j / c.segments, 0);
        radial.push_back(n);
        top.push_back(b.point({n.x * c.radius, half, n.z * c.radius}));
        bottom.push_back(b.point({n.x * c.radius, -half, n.z * c.radius}));
    }
    for (int j = 0; j < c.segments; ++j) {
        const int j2 = (j + 1) % c.segments;
        b.quad(bottom[j], top[j], top[j2], bottom[j2], radial[j], radial[j], radial[j2], radial[j2]);
    }
    if (c.caps) {
        const V3D up{0, 1, 0}, down{0, -1, 0};
        const int32_t top_centre = b.point({0, half, 0});
        const int32_t bottom_centre = b.point({0, -half, 0});
        for (int j = 0; j < c.segments; ++j) {
            const int j2 = (j + 1) % c.segments;
            b.tri(top_centre, top[j], top[j2], up, up, up);
            b.tri(bottom_centre, bottom[j], bottom[j2], down, down, down);
        }
    }
    return b.take();
}

Mesh plane(const PlaneShape& p) {
    Builder b;
    const V3D up{0, 1, 0};
    const double x = p.size_x / 2, z = p.size_z / 2;
    b.quad(b.point({-x, 0, -z}), b.point({x, 0, -z}), b.point({x, 0, z}), b.point({-x, 0, z}), up, up, up, up);
    return b.take();
}

Mesh torus(const TorusShape& t) {
    Builder b;
    const auto points = static_cast<std::size_t>(t.segments) * t.sides;
    b.reserve(points, 2 * points);
    std::vector<std::vector<int32_t>> index(t.segments);
    std::vector<std::vector<V3D>> normal(t.segments);
    for (int i = 0; i < t.segments; ++i) {
        const double u = 2 * kPi * i / t.segments;
        for (int k = 0; k < t.sides; ++k) {
            const double v = 2 * kPi * k / t.sides;
            const V3D n{std::cos(u) * std::cos(v), std::sin(v), std::sin(u) * std::cos(v)};
            normal[i].push_back(n);
            index[i].push_back(b.point(
                {t.radius * std::cos(u) + t.tube * n.x, t.tube * n.y, t.radius * std::sin(u) + t.tube * n.z}, n));
        }
    }
    for (int i = 0; i < t.segments; ++i) {
        const int i2 = (i + 1) % t.segments;
        for (int k = 0; k < t.sides; ++k) {
            const int k2 = (k + 1) % t.sides;
            b.quad(index[i][k], index[i2][k], index[i2][k2], index[i][k2], normal[i][k], normal[i2][k],
                   normal[i2][k2], normal[i][k2]);
        }
    }
    return b.take();
}

}  // namespace

Mesh make_primitive(const Shape& shape) {
    if (const auto* s = std::get_if<BoxShape>(&shape)) return box(*s);
    if (const auto* s = std::get_if<SphereShape>(&shape)) return sphere(*s);
    if (const auto* s = std::get_if<CylinderShape>(&shape)) return cylinder(*s);
    if (const auto* s = std::get_if<PlaneShape>(&shape)) return plane(*s);
    return torus(std::get<TorusShape>(shape));
}

}  // namespace zy::zyscene
