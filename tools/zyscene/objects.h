// The objects of the description: what shape, which surface, where.
#pragma once

#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "geometry/xmath.h"
#include "zyscene/json_fields.h"
#include "zyscene/surfaces.h"
#include "zyscene/track.h"
#include "zyscene/transform.h"

namespace zy::zyscene {

/// Where the vertex normals of a mesh come from.
enum class NormalSource { Auto, File, Average };

/// Which axis of a mesh file points up.
enum class UpAxis { Auto, Y, Z };

/// A mesh file read with Assimp.
struct MeshShape {
    std::string file;          ///< as written, relative to the description's folder
    bool right_handed = true;  ///< mirror z (and the winding) into the scene's left-handed frame
    NormalSource normals = NormalSource::Auto;
    UpAxis up = UpAxis::Auto;  ///< Auto: what the file says, else y
    /// Largest extent the mesh is scaled to, standing on the floor; 0 keeps its units.
    double standard_size = 0;
    /// Bake the file's textures and vertex colours into its triangles: only
    /// where its materials are shown.
    bool bake_colours = false;
};

/// Built-in primitives, in object space, centred on the origin.
struct BoxShape {
    V3D size{1, 1, 1};
};
struct SphereShape {
    double radius = 1;
    int segments = 32, rings = 16;
};
struct CylinderShape {
    double radius = 1, height = 2;
    int segments = 32;
    bool caps = true;
};
struct PlaneShape {
    double size_x = 1, size_z = 1;  ///< in the x-z plane, facing +y
};
struct TorusShape {
    double radius = 1, tube = 0.25;  ///< ring radius in the x-z plane, tube radius
    int segments = 48, sides = 16;
};

using Shape = std::variant<MeshShape, BoxShape, SphereShape, CylinderShape, PlaneShape, TorusShape>;

/// An object's placement over the frames.
struct TransformTrack {
    Track<V3D> scale{V3D{1, 1, 1}};
    Track<V3D> rotate{V3D{0, 0, 0}};
    Track<V3D> translate{V3D{0, 0, 0}};

    Transform at(int frame) const { return {scale.at(frame), rotate.at(frame), translate.at(frame)}; }
    bool animated() const { return scale.animated() || rotate.animated() || translate.animated(); }
    bool operator==(const TransformTrack&) const = default;
};

struct ObjectDesc {
    std::string pointer;  ///< JSON pointer of the object, for messages
    std::string name;     ///< its "name", or its index in the objects
    Shape shape;
    /// -1 for a mesh whose file's materials become its surfaces (until they are made).
    int16_t surface = 0;
    /// "materials": file material name to the description's surface number.
    std::vector<std::pair<std::string, int16_t>> material_surfaces;
    bool smooth = true;
    /// Patterns, bumps and images follow the object rather than staying
    /// fixed in the scene.
    bool object_space = true;
    TransformTrack transform;
};

/// The member that carries the object's points beyond what the files hold:
/// its scale, else its translation, else its shape.
std::string points_pointer(const ObjectDesc& o);

/// Reads the "objects" array; transforms may be keyframed over frames frames.
std::vector<ObjectDesc> read_objects(const Node& objects, const SurfaceTable& surfaces, int frames);

}  // namespace zy::zyscene
