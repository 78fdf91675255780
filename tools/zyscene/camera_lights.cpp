#include "zyscene/camera_lights.h"

#include <cmath>
#include <limits>
#include <string>

#include "zyscene/names.h"

namespace zy::zyscene {

namespace {

V3S single3(const V3D& v, const Node& at) {
    return {fit_single(v.x, at.pointer()), fit_single(v.y, at.pointer()), fit_single(v.z, at.pointer())};
}

V3S read_point(const Node& n) { return single3(n.vec3(), n); }

V3D widen(const V3S& v) { return {v.x, v.y, v.z}; }

V3D minus(const V3D& a, const V3D& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

double dot(const V3D& a, const V3D& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

V3D cross(const V3D& a, const V3D& b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

// The renderer uses the spot axis as stored, so it must have unit length.
V3S unit_direction(const V3D& d, const Node& at) {
    const double len = std::sqrt(dot(d, d));
    if (!(len > 1e-12)) at.fail("gives no direction (zero length)");
    return single3({d.x / len, d.y / len, d.z / len}, at);
}

RT_LIGHT read_light(const Node& node) {
    Members m(node);
    RT_LIGHT l{};
    const auto kind = m.optional("type");
    l.kind = static_cast<int8_t>(kind ? kind->choice(kLightKindNames, "light type") : 0);
    const auto rgb = m.colour_or("color", {255, 255, 255});
    for (int i = 0; i < 3; ++i) l.color[i] = rgb[i];
    const Node position = m.required("position");
    l.pos = read_point(position);
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
        l.dir = direction ? unit_direction(direction->vec3(), *direction)
                          : unit_direction(minus(widen(read_point(*target)), widen(l.pos)), *target);
        l.cone_angle = static_cast<int16_t>(m.whole_or("cone", 0, 360, 45));
        l.cone_soft = static_cast<int16_t>(m.whole_or("softness", 0, 100, 20));
    }
    m.finish();
    return l;
}

}  // namespace

RT_CAM read_camera(const Node& camera) {
    Members m(camera);
    RT_CAM c{};
    c.eye = read_point(m.required("eye"));
    const Node look_at = m.required("look_at");
    c.look_at = read_point(look_at);
    const auto up = m.optional("up");
    c.sky = up ? read_point(*up) : V3S{0, 1, 0};
    const auto fov = m.optional("fov");
    c.fov = fov ? fov->number(0, 180) : 45.0;
    if (c.fov <= 0 || c.fov >= 180) fov->fail("must lie strictly between 0 and 180 degrees");
    m.finish();

    const V3D view = minus(widen(c.look_at), widen(c.eye));
    if (dot(view, view) < 1.421086e-14) look_at.fail("must lie away from the eye");
    const V3D side = cross(view, widen(c.sky));
    if (dot(side, side) <= 1e-12 * dot(view, view) * dot(widen(c.sky), widen(c.sky)))
        (up ? *up : camera).fail("the up vector must not be parallel to the viewing direction");
    return c;
}

std::vector<RT_LIGHT> read_lights(const Node& lights) {
    std::vector<RT_LIGHT> out;
    const auto items = lights.items();
    if (items.size() > static_cast<std::size_t>(std::numeric_limits<int16_t>::max()))
        lights.fail("too many lights (the files hold at most 32767)");
    for (const Node& n : items) out.push_back(read_light(n));
    return out;
}

}  // namespace zy::zyscene
