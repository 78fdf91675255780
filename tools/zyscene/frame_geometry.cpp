#include "zyscene/frame_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "zyscene/input_error.h"
#include "zyscene/json_fields.h"
#include "zyscene/transform.h"

namespace zy::zyscene {

namespace {

// Records go out in pieces of this many, so that no whole list is built.
constexpr std::size_t kPiece = 4096;

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

using Tri = std::array<int32_t, 3>;

// The triangle as the scene holds it: none when two corners are on one point
// (no triangle the renderer could hit); under a mirroring transform, two
// corners swapped so that plane and vertex normals keep agreeing.
std::optional<Tri> kept(Tri tri, bool mirrored) {
    if (tri[0] == tri[1] || tri[1] == tri[2] || tri[0] == tri[2]) return std::nullopt;
    if (mirrored) std::swap(tri[1], tri[2]);
    return tri;
}

// As long as the triangle is large.
V3D plane_normal(const std::vector<V3D>& points, const Tri& t) {
    return cross(sub(points[t[1]], points[t[0]]), sub(points[t[2]], points[t[0]]));
}

// Each point's normal is the sum of the plane normals of its triangles, each
// as long as its triangle is large, so big faces count more.
std::vector<V3D> averaged_normals(const std::vector<V3D>& points, const Mesh& mesh, bool mirrored) {
    std::vector<V3D> sum(points.size(), V3D{0, 0, 0});
    for (const Tri& tri : mesh.tris) {
        const auto t = kept(tri, mirrored);
        if (!t) continue;
        const V3D n = plane_normal(points, *t);
        for (int32_t i : *t) sum[i] = {sum[i].x + n.x, sum[i].y + n.y, sum[i].z + n.z};
    }
    for (V3D& n : sum) n = unit(n);
    return sum;
}

// Sends what the buffer holds on to sink when it is full, and when asked.
template <typename Record, void (GeometrySink::*Put)(std::span<const Record>)>
class Pieces {
public:
    explicit Pieces(GeometrySink& sink) : sink_(sink) { buffer_.reserve(kPiece); }
    void add(const Record& r) {
        buffer_.push_back(r);
        if (buffer_.size() == kPiece) flush();
    }
    void flush() {
        (sink_.*Put)(buffer_);
        buffer_.clear();
    }

private:
    GeometrySink& sink_;
    std::vector<Record> buffer_;
};

}  // namespace

PlacedObject::PlacedObject(const ObjectDesc& object, int frame_number, const Mesh& mesh)
    : object_(object), mesh_(mesh), at_frame_(frame_note(object.transform.animated(), frame_number)) {
    const MAT4 t = object_matrix(object.transform.at(frame_number));
    inverse_ = inverse_affine(t);
    if (!finite(t) || !finite(inverse_))
        throw InputError(object.pointer + "/transform/scale",
                         "cannot be undone (a scale too close to 0 or too large)" + at_frame_);
    mirrored_ = linear_determinant(t) < 0;
    points_.resize(mesh.points.size());
    for (std::size_t i = 0; i < points_.size(); ++i) v3d_trnsf(mesh.points[i], points_[i], t);
}

void PlacedObject::put_points(FrameCounts& counts, GeometrySink& sink) const {
    const auto tris = static_cast<std::size_t>(
        std::count_if(mesh_.tris.begin(), mesh_.tris.end(), [](const Tri& t) { return kept(t, false).has_value(); }));
    if (tris == 0) throw InputError(object_.pointer, "the object has no triangles");
    constexpr auto kMaxCount = static_cast<std::size_t>(std::numeric_limits<int32_t>::max());
    if (counts.points + points_.size() > kMaxCount || counts.tris + tris > kMaxCount)
        throw InputError(object_.pointer, "too many points or triangles (the files count them in 32 bits)");
    if (counts.object_sizes.size() == static_cast<std::size_t>(std::numeric_limits<int16_t>::max()))
        throw InputError(object_.pointer, "too many objects (the files hold at most 32767)");

    const std::string placing = points_pointer(object_);
    const auto fit = [&](double v) { return fit_single(v, placing, at_frame_); };
    Pieces<V3S, &GeometrySink::points> out(sink);
    for (const V3D& p : points_) out.add({fit(p.x), fit(p.y), fit(p.z)});
    out.flush();
    counts.points += points_.size();
    counts.tris += tris;
    counts.object_sizes.push_back(static_cast<int32_t>(tris));
}

void PlacedObject::put_tris(int32_t first_point, int8_t mat_index, GeometrySink& sink) const {
    const bool smooth = object_.smooth;
    // Flat triangles are shaded with the plane normal, and that is the normal
    // they store; smooth ones take their corners' normals, which are the
    // points' unless the mesh gives each corner its own.
    std::vector<V3D> at_point;
    if (smooth && mesh_.normals.empty()) {
        if (mesh_.point_normals.empty()) {
            at_point = averaged_normals(points_, mesh_, mirrored_);
        } else {
            at_point.reserve(mesh_.point_normals.size());
            for (const V3D& n : mesh_.point_normals) at_point.push_back(unit(transform_normal(inverse_, n)));
        }
    }
    Pieces<RT_TRI, &GeometrySink::tris> out(sink);
    for (std::size_t i = 0; i < mesh_.tris.size(); ++i) {
        const auto t = kept(mesh_.tris[i], mirrored_);
        if (!t) continue;
        std::array<V3D, 3> n{};
        if (!smooth) {
            n.fill(unit(plane_normal(points_, *t)));
        } else if (at_point.empty()) {
            for (int c = 0; c < 3; ++c) n[c] = unit(transform_normal(inverse_, mesh_.normals[i][c]));
            if (mirrored_) std::swap(n[1], n[2]);
        } else {
            for (int c = 0; c < 3; ++c) n[c] = at_point[(*t)[c]];
        }
        RT_TRI r{};
        for (int c = 0; c < 3; ++c) {
            r.vertex[c] = first_point + (*t)[c];
            r.normal[c] = scaled_normal(n[c]);
        }
        r.srf = mesh_.tri_surface.empty() ? object_.surface : mesh_.tri_surface[i];
        r.mat_index = mat_index;
        r.smooth = smooth ? 1 : 0;
        out.add(r);
    }
    out.flush();
}

}  // namespace zy::zyscene
