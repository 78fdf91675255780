#include "zyscene/camera_request.h"

#include <array>
#include <cmath>

#include "zyscene/camera_lights.h"

namespace zy::zyscene {

namespace {

struct View {
    const char* name;
    V3D toward_eye, up;
};
// Seen from the front the model's front faces the camera at -z; from the
// top its front lies at the bottom of the picture.
constexpr std::array<View, 4> kViews = {{{"three_quarter", {0.6, 0.5, -1}, {0, 1, 0}},
                                         {"front", {0, 0, -1}, {0, 1, 0}},
                                         {"side", {1, 0, 0}, {0, 1, 0}},
                                         {"top", {0, 1, 0}, {0, 0, 1}}}};

FitRequest read_fit(const Node& node) {
    Members m(node);
    FitRequest fit;
    if (const auto v = m.optional("view")) {
        if (v->value().is_array()) {
            fit.toward_eye = v->vec3();
            const V3D& d = fit.toward_eye;
            if (!(d.x * d.x + d.y * d.y + d.z * d.z > 0)) v->fail("gives no direction (zero length)");
            // Straight down or up, "up" in the picture is the scene's +z.
            if (d.x == 0 && d.z == 0) fit.up = {0, 0, 1};
        } else {
            std::array<const char*, kViews.size()> names{};
            for (std::size_t i = 0; i < kViews.size(); ++i) names[i] = kViews[i].name;
            const View& view = kViews[static_cast<std::size_t>(v->choice(names, "view"))];
            fit.toward_eye = view.toward_eye;
            fit.up = view.up;
        }
    }
    if (const auto n = m.optional("margin")) {
        fit.margin = n->number(0, 0.5);
        if (fit.margin >= 0.5) n->fail("must be below 0.5 (half the picture on each side leaves nothing)");
    }
    m.finish();
    return fit;
}

}  // namespace

std::optional<CameraRequest> read_camera_request(const Node& camera) {
    const bool fit = camera.value().is_object() && camera.value().contains("fit");
    const bool file = camera.value().is_object() && camera.value().contains("from_file");
    if (!fit && !file) return std::nullopt;
    Members m(camera);
    CameraRequest r;
    r.pointer = camera.pointer();
    if (fit && file) camera.fail("a camera takes either \"fit\" or \"from_file\", not both");
    if (fit) {
        r.fit = read_fit(m.required("fit"));
        if (const auto n = m.optional("fov")) r.fov = read_fov(*n);
    } else {
        r.file = m.required("from_file").text();
        if (const auto n = m.optional("name")) r.name = n->text();
    }
    m.finish();
    return r;
}

}  // namespace zy::zyscene
