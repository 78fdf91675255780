#include "zyscene/surface_images.h"

#include <array>

#include "zyscene/transform.h"

namespace zy::zyscene {

namespace {

constexpr std::array<const char*, 4> kUseNames = {"auto", "grey", "color", "mask"};
/// Code = img_mode.
constexpr std::array<const char*, 3> kProjectionNames = {"flat", "cylindrical", "cylindrical_mirrored"};

// The placement's sizes: a length the image spans, in object units.
double extent(const Node& n) {
    const double v = n.number();
    if (!(v >= 1e-30 && v <= 1e30)) n.fail("must be a length from 1e-30 to 1e30");
    return v;
}

}  // namespace

SurfaceImage read_surface_image(const Node& image) {
    SurfaceImage out;
    if (image.value().is_string()) {
        out.source.file = image.text();
        out.source.pointer = image.pointer();
        if (out.source.file.empty()) image.fail("names no file");
        return out;
    }
    Members m(image);
    const Node file = m.required("file");
    out.source.file = file.text();
    out.source.pointer = file.pointer();
    if (out.source.file.empty()) file.fail("names no file");
    if (const auto use = m.optional("use")) out.source.use = static_cast<ImageUse>(use->choice(kUseNames, "image use"));
    if (const auto projection = m.optional("projection"))
        out.img_mode = static_cast<uint8_t>(projection->choice(kProjectionNames, "projection"));
    out.placement.cylindrical = out.img_mode != 0;

    const auto angle = m.optional("angle");
    if (out.placement.cylindrical) {
        out.img_arg = 360.0f;
        if (angle) {
            out.img_arg = angle->single();
            if (!(out.img_arg > 0)) angle->fail("must be greater than 0 degrees");
        }
        if (const auto width = m.optional("width"))
            width->fail("a cylindrical projection takes \"angle\" instead of \"width\"");
    } else {
        if (angle) angle->fail("only the cylindrical projections take an angle");
        if (const auto width = m.optional("width")) out.placement.width = extent(*width);
    }
    if (const auto height = m.optional("height")) out.placement.height = extent(*height);
    out.placement.rotate = m.vec3_or("rotate", out.placement.rotate);
    out.placement.center = m.vec3_or("center", out.placement.center);
    m.finish();
    return out;
}

MAT4 placement_matrix(const ImagePlacement& placement, int width, int height) {
    Transform t;
    t.rotate = placement.rotate;
    t.translate = placement.center;
    if (placement.cylindrical) {
        // Only the height is placed: the angle decides where the columns go.
        // The default spans the default sphere and cylinder.
        const double s = placement.height.value_or(2.0) / height;
        t.scale = {s, s, s};
    } else {
        // Square pixels unless both sizes are given; by default one image
        // width spans the default box and plane.
        const double sx = placement.width    ? *placement.width / width
                          : placement.height ? *placement.height / height
                                             : 1.0 / width;
        const double sy = placement.height ? *placement.height / height : sx;
        t.scale = {sx, sy, sx};
    }
    return object_matrix(t);
}

}  // namespace zy::zyscene
