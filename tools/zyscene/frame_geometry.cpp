#include "zyscene/frame_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "zyscene/input_error.h"
#include "zyscene/json_fields.h"
#include "zyscene/transform.h"

namespace zy::zyscene {

namespace {

V3D sub(const V3D& a, const V3D& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

V3D cross(const V3D& a, const V3D& b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

V3D unit(const V3D& v) {
    const double len = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return len > 0 ? V3D{v.x / len, v.y / len, v.z / len} : v;
}

// Normals are stored as whole numbers: unit length is 30000. A normal that
// is not a number (a broken mesh file) becomes the zero vector, which the
// renderer leaves alone.
V3I scaled_normal(const V3D& n) {
    const auto c = [](double v) {
        return std::isfinite(v) ? static_cast<int16_t>(std::lround(std::clamp(v, -1.0, 1.0) * 30000.0)) : int16_t{0};
    };
    return {c(n.x), c(n.y), c(n.z)};
}

bool finite(const MAT4& m) {
    for (const auto& row : m.m)
        for (double v : row)
            if (!std::isfinite(v)) return false;
    return true;
}

// Each point's normal is the sum of the plane normals of its triangles, each
// as long as its triangle is large, so big faces count more.
std::vector<V3D> averaged_normals(const std::vector<V3D>& points, const std::vector<std::array<int32_t, 3>>& tris) {
    std::vector<V3D> sum(points.size(), V3D{0, 0, 0});
    for (const auto& t : tris) {
        const V3D n = cross(sub(points[t[1]], points[t[0]]), sub(points[t[2]], points[t[0]]));
        for (int32_t i : t) sum[i] = {sum[i].x + n.x, sum[i].y + n.y, sum[i].z + n.z};
    }
    for (V3D& n : sum) n = unit(n);
    return sum;
}

}  // namespace

void add_object(const ObjectDesc& object, int frame_number, const Mesh& mesh, int8_t mat_index, FrameGeometry& frame) {
    const std::string at_frame = frame_note(object.transform.animated(), frame_number);
    const MAT4 t = object_matrix(object.transform.at(frame_number));
    const MAT4 inverse = inverse_affine(t);
    if (!finite(t) || !finite(inverse))
        throw InputError(object.pointer + "/transform/scale",
                         "cannot be undone (a scale too close to 0 or too large)" + at_frame);
    // A mirroring transform turns the winding around; swapping two corners
    // turns it back so that plane and vertex normals keep agreeing.
    const bool mirrored = linear_determinant(t) < 0;

    std::vector<V3D> points(mesh.points.size());
    for (std::size_t i = 0; i < points.size(); ++i) v3d_trnsf(mesh.points[i], points[i], t);

    std::vector<std::array<int32_t, 3>> tris;
    std::vector<std::array<V3D, 3>> normals;
    std::vector<int16_t> surfaces;
    for (std::size_t i = 0; i < mesh.tris.size(); ++i) {
        auto tri = mesh.tris[i];
        // Two corners on one point leave no triangle the renderer could hit.
        if (tri[0] == tri[1] || tri[1] == tri[2] || tri[0] == tri[2]) continue;
        std::array<V3D, 3> n{};
        if (!mesh.normals.empty())
            for (int c = 0; c < 3; ++c) n[c] = unit(transform_normal(inverse, mesh.normals[i][c]));
        if (mirrored) {
            std::swap(tri[1], tri[2]);
            std::swap(n[1], n[2]);
        }
        tris.push_back(tri);
        normals.push_back(n);
        surfaces.push_back(mesh.tri_surface.empty() ? object.surface : mesh.tri_surface[i]);
    }
    if (tris.empty()) throw InputError(object.pointer, "the object has no triangles");
    if (mesh.normals.empty()) {
        const auto averaged = averaged_normals(points, tris);
        for (std::size_t i = 0; i < tris.size(); ++i)
            for (int c = 0; c < 3; ++c) normals[i][c] = averaged[tris[i][c]];
    }

    constexpr auto kMaxCount = static_cast<std::size_t>(std::numeric_limits<int32_t>::max());
    if (frame.points.size() + points.size() > kMaxCount || frame.tris.size() + tris.size() > kMaxCount)
        throw InputError(object.pointer, "too many points or triangles (the files count them in 32 bits)");
    if (frame.object_sizes.size() == static_cast<std::size_t>(std::numeric_limits<int16_t>::max()))
        throw InputError(object.pointer, "too many objects (the files hold at most 32767)");

    const auto base = static_cast<int32_t>(frame.points.size());
    const std::string placing = points_pointer(object);
    const auto fit = [&](double v) { return fit_single(v, placing, at_frame); };
    for (const V3D& p : points) frame.points.push_back({fit(p.x), fit(p.y), fit(p.z)});

    for (std::size_t i = 0; i < tris.size(); ++i) {
        RT_TRI r{};
        for (int c = 0; c < 3; ++c) {
            r.vertex[c] = base + tris[i][c];
            // Flat triangles are shaded with the plane normal; their own
            // normal is stored all the same.
            const V3D n = object.smooth ? normals[i][c]
                                        : unit(cross(sub(points[tris[i][1]], points[tris[i][0]]),
                                                     sub(points[tris[i][2]], points[tris[i][0]])));
            r.normal[c] = scaled_normal(n);
        }
        r.srf = surfaces[i];
        r.mat_index = mat_index;
        r.smooth = object.smooth ? 1 : 0;
        frame.tris.push_back(r);
    }
    frame.object_sizes.push_back(static_cast<int32_t>(tris.size()));
}

}  // namespace zy::zyscene
