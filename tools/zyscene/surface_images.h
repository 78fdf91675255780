// The "image" member of a surface: which image file, how its pixels are
// used, how it is projected and where it lies on the surface's objects.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "geometry/xmath.h"
#include "zyscene/json_fields.h"

namespace zy::zyscene {

/// How the pixels of an image file become a texture file.
enum class ImageUse {
    Auto,   ///< by the file's channels: grey, colour, or colour with alpha
    Grey,   ///< grey levels that blend material into material2
    Color,  ///< colours that tint material
    Mask,   ///< one bit per pixel: dark shows material, light material2
};

/// An image file as the surfaces name it; two surfaces naming the same file
/// for the same use share one texture file.
struct ImageSource {
    std::string file;  ///< as written, relative to the description's folder
    ImageUse use = ImageUse::Auto;
    std::string pointer;  ///< JSON pointer of the file member, for messages

    bool operator==(const ImageSource& o) const { return file == o.file && use == o.use; }
};

/// Where an image lies in the texture space of an object: its middle at
/// center, turned by rotate, one image covering width x height units.
struct ImagePlacement {
    bool cylindrical = false;
    std::optional<double> width, height;  ///< absent: the defaults of the format
    V3D rotate{0, 0, 0};
    V3D center{0, 0, 0};
};

/// A surface's "image" member as read.
struct SurfaceImage {
    ImageSource source;
    ImagePlacement placement;
    uint8_t img_mode = 0;  ///< 0 flat, 1 cylindrical, 2 cylindrical seen from inside
    float img_arg = 0;     ///< degrees one image width covers around a cylinder
};

/// Reads a surface's "image" member: a file name, or an object with file,
/// use, projection, angle and placement.
SurfaceImage read_surface_image(const Node& image);

/// Image space (one unit per pixel, the image's middle at the origin) into
/// the object's texture space, for an image of width x height pixels.
MAT4 placement_matrix(const ImagePlacement& placement, int width, int height);

}  // namespace zy::zyscene
