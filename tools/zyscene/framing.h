// Bounding boxes of the scene and the camera that frames them.
#pragma once

#include <limits>
#include <string>
#include <vector>

#include "geometry/xmath.h"
#include "zyscene/camera_lights.h"
#include "zyscene/camera_request.h"
#include "zyscene/mesh.h"
#include "zyscene/objects.h"

namespace zy::zyscene {

/// An axis-aligned box; empty until a point is added.
struct Box {
    V3D lo{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
           std::numeric_limits<double>::infinity()};
    V3D hi{-std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
           -std::numeric_limits<double>::infinity()};

    bool empty() const { return !(lo.x <= hi.x); }
    void add(const V3D& p);
    void add(const Box& b);
    V3D centre() const { return {(lo.x + hi.x) / 2, (lo.y + hi.y) / 2, (lo.z + hi.z) / 2}; }
    V3D size() const { return {hi.x - lo.x, hi.y - lo.y, hi.z - lo.z}; }
    double largest_side() const;
    bool contains(const V3D& p) const;
    /// "[x, y, z] to [x, y, z]", six digits each.
    std::string text() const;
};

/// The objects' boxes frame after frame; a box is worked out again only
/// when its object moves.
class FrameBoxes {
public:
    FrameBoxes(const std::vector<ObjectDesc>& objects, const std::vector<Mesh>& meshes);
    /// The box of each object at frame k (from 0); k only grows from call to call.
    const std::vector<Box>& at(int k);
    /// True when some object moves.
    bool moving() const { return moving_; }

private:
    const std::vector<ObjectDesc>& objects_;
    const std::vector<Mesh>& meshes_;
    std::vector<Box> boxes_;
    bool moving_ = false;
};

/// Each object's box over all frames, and the box around them all.
struct SceneExtent {
    std::vector<Box> objects;
    Box scene;
};

SceneExtent scene_extent(const std::vector<ObjectDesc>& objects, const std::vector<Mesh>& meshes, int frames);

/// The camera that sees box from fit's side, looking at its centre, as near
/// as the box's projection allows within the margins of a picture of the
/// given width over height.
CameraTrack fit_camera(const Box& box, const FitRequest& fit, double fov, double aspect);

}  // namespace zy::zyscene
