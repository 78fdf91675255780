#include "zyscene/view_warnings.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "zyscene/framing.h"

namespace zy::zyscene {

namespace {

// Below this share of the view's reach, an object around the eye is not meant to hold it.
constexpr double kSmallShare = 0.25;
// Beyond this many times the eye's distance to the look-at point, an object
// around the eye was measured in other units than the camera (millimetres).
constexpr double kHugeRatio = 50;

V3D widen(const V3S& v) { return {v.x, v.y, v.z}; }

V3D from(const V3D& eye, const V3D& p) {
    V3D d;
    v3d_sub(p, eye, d);
    return d;
}

V3D corner(const Box& b, int c) { return {c & 1 ? b.hi.x : b.lo.x, c & 2 ? b.hi.y : b.lo.y, c & 4 ? b.hi.z : b.lo.z}; }

// The camera's axes and the tangents of half its opening, across and up.
struct View {
    V3D eye, ahead, right, up;
    double half_x, half_y;

    View(const RT_CAM& c, double aspect) : eye(widen(c.eye)), ahead(from(eye, widen(c.look_at))) {
        v3d_nrm(ahead);
        v3d_mul(ahead, widen(c.sky), right);
        v3d_nrm(right);
        v3d_mul(right, ahead, up);
        half_x = std::tan(c.fov * kPi / 360);
        half_y = half_x / aspect;
    }

    // False only when all corners lie beyond one side of the view (or behind
    // the eye); a box across a corner of the view may pass.
    bool may_see(const Box& b) const {
        int behind = 0, left = 0, right_of = 0, below = 0, above = 0;
        for (int c = 0; c < 8; ++c) {
            const V3D o = from(eye, corner(b, c));
            const double depth = v3d_scal(o, ahead), x = v3d_scal(o, right), y = v3d_scal(o, up);
            behind += depth <= 0;
            left += x < -half_x * depth;
            right_of += x > half_x * depth;
            below += y < -half_y * depth;
            above += y > half_y * depth;
        }
        return std::max({behind, left, right_of, below, above}) < 8;
    }
};

// The first frame a thing happens in, and how often.
struct Seen {
    int first = 0, count = 0;
    std::string what, detail;

    void at(int frame, const std::string& about, const std::string& more = "") {
        if (count++ == 0) {
            first = frame;
            what = about;
            detail = more;
        }
    }
    std::optional<std::string> line(int frames) const {
        if (count == 0) return std::nullopt;
        std::string text = what + " at frame " + std::to_string(first + 1);
        if (count > 1) text += " and " + std::to_string(count - 1) + " more of the " + std::to_string(frames);
        return text + detail;
    }
};

double reach(const V3D& eye, const V3D& look_at, const Box& scene) {
    double far = v3d_len(from(eye, look_at));
    for (int c = 0; c < 8; ++c) far = std::max(far, v3d_len(from(eye, corner(scene, c))));
    return far;
}

std::string shown(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", v);
    return text;
}

}  // namespace

std::vector<std::string> view_warnings(const Description& d, const std::vector<Mesh>& meshes) {
    if (d.objects.empty()) return {};
    const double aspect = static_cast<double>(d.settings.res_x) / d.settings.res_y;
    FrameBoxes boxes(d.objects, meshes);
    const bool changing = boxes.moving() || d.camera.animated();
    Seen nothing, inside;
    for (int k = 0; k < (changing ? d.frames() : 1); ++k) {
        const std::vector<Box>& at = boxes.at(k);
        const RT_CAM cam = d.camera.at(k);
        const View view(cam, aspect);
        if (std::none_of(at.begin(), at.end(), [&](const Box& b) { return view.may_see(b); }))
            nothing.at(k, "no object is in the camera's view");
        Box scene;
        for (const Box& b : at) scene.add(b);
        const double far = reach(view.eye, widen(cam.look_at), scene);
        const double look = v3d_len(from(view.eye, widen(cam.look_at)));
        for (std::size_t i = 0; i < at.size(); ++i) {
            if (!at[i].contains(view.eye)) continue;
            const double side = at[i].largest_side();
            const std::string what = "the eye is inside the box of object \"" + d.objects[i].name + "\"";
            if (side < kSmallShare * far) {
                inside.at(k, what, ", " + shown(side) + " across, small next to the view's reach of " + shown(far) +
                                       ": the picture may show only its inside");
                break;
            }
            if (side > kHugeRatio * look) {
                inside.at(k, what, ", " + shown(side) + " across, " + shown(side / look) +
                                       " times the eye's distance to the look-at point: its units may not be "
                                       "the camera's (millimetres?)");
                break;
            }
        }
    }
    std::vector<std::string> lines;
    for (const Seen* s : {&nothing, &inside})
        if (const auto line = s->line(d.frames())) lines.push_back(*line);
    return lines;
}

}  // namespace zy::zyscene
