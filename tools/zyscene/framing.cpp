#include "zyscene/framing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "geometry/xmath.h"
#include "zyscene/transform.h"

namespace zy::zyscene {

namespace {

V3D scaled(const V3D& v, double s) { return {v.x * s, v.y * s, v.z * s}; }
V3D sub(const V3D& a, const V3D& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double dot(const V3D& a, const V3D& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3D cross(const V3D& a, const V3D& b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
V3D unit(const V3D& v) { return scaled(v, 1 / std::sqrt(dot(v, v))); }

}  // namespace

void Box::add(const V3D& p) {
    lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
    hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
}

void Box::add(const Box& b) {
    if (b.empty()) return;
    add(b.lo);
    add(b.hi);
}

double Box::largest_side() const {
    const V3D s = size();
    return std::max({s.x, s.y, s.z});
}

bool Box::contains(const V3D& p) const {
    return p.x >= lo.x && p.x <= hi.x && p.y >= lo.y && p.y <= hi.y && p.z >= lo.z && p.z <= hi.z;
}

namespace {

Box object_box(const ObjectDesc& o, const Mesh& mesh, int k) {
    const MAT4 t = object_matrix(o.transform.at(k));
    Box box;
    for (const V3D& p : mesh.points) {
        V3D q;
        v3d_trnsf(p, q, t);
        box.add(q);
    }
    return box;
}

}  // namespace

FrameBoxes::FrameBoxes(const std::vector<ObjectDesc>& objects, const std::vector<Mesh>& meshes)
    : objects_(objects), meshes_(meshes) {
    for (std::size_t i = 0; i < objects.size(); ++i) {
        boxes_.push_back(object_box(objects[i], meshes[i], 0));
        moving_ = moving_ || objects[i].transform.animated();
    }
}

const std::vector<Box>& FrameBoxes::at(int k) {
    if (k > 0)
        for (std::size_t i = 0; i < objects_.size(); ++i)
            if (objects_[i].transform.animated()) boxes_[i] = object_box(objects_[i], meshes_[i], k);
    return boxes_;
}

SceneExtent scene_extent(const std::vector<ObjectDesc>& objects, const std::vector<Mesh>& meshes, int frames) {
    FrameBoxes boxes(objects, meshes);
    SceneExtent extent;
    extent.objects.resize(objects.size());
    for (int k = 0; k < (boxes.moving() ? frames : 1); ++k) {
        const std::vector<Box>& at = boxes.at(k);
        for (std::size_t i = 0; i < at.size(); ++i) {
            extent.objects[i].add(at[i]);
            extent.scene.add(at[i]);
        }
    }
    return extent;
}

std::string Box::text() const {
    char out[160];
    std::snprintf(out, sizeof out, "[%g, %g, %g] to [%g, %g, %g]", lo.x, lo.y, lo.z, hi.x, hi.y, hi.z);
    return out;
}

CameraTrack fit_camera(const Box& box, const FitRequest& fit, double fov, double aspect) {
    const V3D forward = unit(scaled(fit.toward_eye, -1));
    const V3D right = unit(cross(forward, fit.up));
    const V3D up = cross(right, forward);
    // Half the picture's width and height at unit distance, less the margins.
    const double room = 1 - 2 * fit.margin;
    const double half_x = std::tan(fov * kPi / 360) * room;
    const double half_y = half_x / aspect;
    const V3D centre = box.centre();
    // A corner o from the centre lies at depth o.f + D from an eye D behind
    // the centre, and fits when |o.r| <= half_x (o.f + D); likewise up.
    double distance = 0;
    for (int c = 0; c < 8; ++c) {
        const V3D corner{c & 1 ? box.hi.x : box.lo.x, c & 2 ? box.hi.y : box.lo.y, c & 4 ? box.hi.z : box.lo.z};
        const V3D o = sub(corner, centre);
        const double need = std::max(std::abs(dot(o, right)) / half_x, std::abs(dot(o, up)) / half_y) - dot(o, forward);
        distance = std::max(distance, need);
    }
    // A box of no size is still seen from a little way off.
    if (!(distance > 0)) distance = 1;
    return CameraTrack::still(sub(centre, scaled(forward, distance)), centre, fit.up, fov);
}

}  // namespace zy::zyscene
