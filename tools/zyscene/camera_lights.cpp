#include "zyscene/camera_lights.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "zyscene/input_error.h"
#include "zyscene/names.h"

namespace zy::zyscene {

namespace {

V3S single3(const V3D& v) { return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)}; }

V3D widen(const V3S& v) { return {v.x, v.y, v.z}; }

V3D minus(const V3D& a, const V3D& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

double dot(const V3D& a, const V3D& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

V3D cross(const V3D& a, const V3D& b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

V3D read_colour(const Node& n) {
    const auto rgb = n.colour();
    return {static_cast<double>(rgb[0]), static_cast<double>(rgb[1]), static_cast<double>(rgb[2])};
}

}  // namespace

double read_fov(const Node& n) {
    const double fov = n.number(0, 180);
    if (fov <= 0 || fov >= 180) n.fail("must lie strictly between 0 and 180 degrees");
    return fov;
}

CameraTrack CameraTrack::still(const V3D& eye, const V3D& look_at, const V3D& up, double fov) {
    CameraTrack c;
    c.eye_ = Track<V3D>(eye);
    c.look_at_ = Track<V3D>(look_at);
    c.up_ = Track<V3D>(up);
    c.fov_ = Track<double>(fov);
    return c;
}

LightTrack LightTrack::still(const RT_LIGHT& fixed, const V3D& position, const V3D& colour, const V3D& direction) {
    LightTrack l;
    l.fixed_ = fixed;
    l.position_ = Track<V3D>(position);
    l.color_ = Track<V3D>(colour);
    l.aim_ = Track<V3D>(direction);
    return l;
}

CameraTrack CameraTrack::read(const Node& camera, int frames) {
    Members m(camera);
    CameraTrack c;
    c.eye_ = read_track<V3D>(m.required("eye"), frames, read_point);
    const Node look_at = m.required("look_at");
    c.look_at_ = read_track<V3D>(look_at, frames, read_point);
    c.look_at_pointer_ = look_at.pointer();
    const auto up = m.optional("up");
    c.up_ = up ? read_track<V3D>(*up, frames, read_point) : Track<V3D>(V3D{0, 1, 0});
    c.up_pointer_ = up ? up->pointer() : camera.pointer();
    const auto fov = m.optional("fov");
    c.fov_ = fov ? read_track<double>(*fov, frames, read_fov) : Track<double>(45.0);
    m.finish();
    return c;
}

RT_CAM CameraTrack::at(int frame) const {
    RT_CAM c{};
    c.eye = single3(eye_.at(frame));
    c.look_at = single3(look_at_.at(frame));
    c.sky = single3(up_.at(frame));
    c.fov = fov_.at(frame);
    const V3D view = minus(widen(c.look_at), widen(c.eye));
    if (dot(view, view) < 1.421086e-14)
        throw InputError(look_at_pointer_, "must lie away from the eye" + frame_note(animated(), frame));
    const V3D side = cross(view, widen(c.sky));
    if (dot(side, side) <= 1e-12 * dot(view, view) * dot(widen(c.sky), widen(c.sky)))
        throw InputError(up_pointer_,
                         "the up vector must not be parallel to the viewing direction" + frame_note(animated(), frame));
    return c;
}

RT_LIGHT LightTrack::at(int frame) const {
    RT_LIGHT l = fixed_;
    const V3D position = position_.at(frame);
    l.pos = single3(position);
    const V3D rgb = color_.at(frame);
    l.color[0] = static_cast<uint8_t>(std::lround(rgb.x));
    l.color[1] = static_cast<uint8_t>(std::lround(rgb.y));
    l.color[2] = static_cast<uint8_t>(std::lround(rgb.z));
    if (l.kind == 1) {
        // The renderer uses the spot axis as stored, so it must have unit length.
        V3D d = aim_is_target_ ? minus(widen(single3(aim_.at(frame))), widen(l.pos)) : aim_.at(frame);
        // Brought near unit length first, so that squaring huge components cannot overflow.
        const double largest = std::max({std::abs(d.x), std::abs(d.y), std::abs(d.z)});
        if (!(largest > 0))
            throw InputError(aim_pointer_, "gives no direction (zero length)" + frame_note(animated(), frame));
        d = {d.x / largest, d.y / largest, d.z / largest};
        const double len = std::sqrt(dot(d, d));
        l.dir = single3({d.x / len, d.y / len, d.z / len});
    }
    return l;
}

LightTrack LightTrack::read(const Node& node, int frames) {
    Members m(node);
    LightTrack track;
    RT_LIGHT& l = track.fixed_;
    const auto kind = m.optional("type");
    l.kind = static_cast<int8_t>(kind ? kind->choice(kLightKindNames, "light type") : 0);
    const auto colour = m.optional("color");
    track.color_ = colour ? read_track<V3D>(*colour, frames, read_colour) : Track<V3D>(V3D{255, 255, 255});
    track.position_ = read_track<V3D>(m.required("position"), frames, read_point);
    l.radius = m.single_or("radius", 0.0f);
    if (l.radius < 0) m.optional("radius")->fail("must not be negative");
    if (const auto a = m.optional("attenuation"))
        l.attenuation = static_cast<int16_t>(a->choice(kAttenuationNames, "attenuation"));
    if (l.kind != 1)
        for (const char* key : {"direction", "target", "cone", "softness"})
            if (m.has(key)) m.optional(key)->fail("only spot lights take \"" + std::string(key) + "\"");
    if (l.kind == 1) {
        const auto direction = m.optional("direction");
        const auto target = m.optional("target");
        if (direction.has_value() == target.has_value())
            node.fail("a spot light needs exactly one of \"direction\" and \"target\"");
        const Node& aim = direction ? *direction : *target;
        track.aim_ = direction ? read_track<V3D>(aim, frames, [](const Node& n) { return n.vec3(); })
                               : read_track<V3D>(aim, frames, read_point);
        track.aim_is_target_ = target.has_value();
        track.aim_pointer_ = aim.pointer();
        l.cone_angle = static_cast<int16_t>(m.whole_or("cone", 0, 360, 45));
        l.cone_soft = static_cast<int16_t>(m.whole_or("softness", 0, 100, 20));
    }
    m.finish();
    return track;
}

std::vector<LightTrack> read_lights(const Node& lights, int frames, std::vector<LightFileRequest>& files) {
    std::vector<LightTrack> out;
    const auto items = lights.items();
    if (items.size() > static_cast<std::size_t>(std::numeric_limits<int16_t>::max()))
        lights.fail("too many lights (the files hold at most 32767)");
    for (const Node& n : items) {
        if (n.value().is_object() && n.value().contains("from_file")) {
            Members m(n);
            files.push_back({n.pointer(), m.required("from_file").text(), out.size()});
            m.finish();
        } else {
            out.push_back(LightTrack::read(n, frames));
        }
    }
    return out;
}

}  // namespace zy::zyscene
