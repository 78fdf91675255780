// Everything a model file holds that a scene can show: its triangles with
// their materials, its cameras and its lights, in the frame of its mesh.
#pragma once

#include <string>
#include <vector>

#include "geometry/xmath.h"
#include "zyscene/file_materials.h"
#include "zyscene/mesh.h"

namespace zy::zyscene {

/// A camera of the file, after the node transforms, the mirror and the up axis.
struct FileCamera {
    std::string name;
    V3D eye, direction, up;
    double horizontal_fov = 0;  ///< full angle in degrees at file_aspect
    double file_aspect = 0;     ///< width over height, 0 when the file does not say
    bool orthographic = false;  ///< the renderer cannot show it
};

/// A light of the file that the renderer can show, or approximates.
struct FileLight {
    enum class Kind { Point, Spot, Directional };
    std::string name;
    Kind kind = Kind::Point;
    V3D position, direction;  ///< direction: where it shines (spot and directional)
    V3D colour;               ///< 0..255 per channel
    double cone = 45;         ///< spot: full opening angle in degrees
    double softness = 0;      ///< spot: percent of the cone over which it fades
};

struct ModelFile {
    Mesh mesh;  ///< tri_material set
    std::vector<FileMaterial> materials;
    std::vector<FileCamera> cameras;
    std::vector<FileLight> lights;
    /// One line per kind of thing dropped or approximated.
    std::vector<std::string> warnings;
};

}  // namespace zy::zyscene
