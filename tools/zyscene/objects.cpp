#include "zyscene/objects.h"

#include <array>

namespace zy::zyscene {

namespace {

constexpr std::array<const char*, 6> kShapeKeys = {"mesh", "box", "sphere", "cylinder", "plane", "torus"};

double positive(const Node& n) {
    const double v = n.number();
    if (!(v > 0)) n.fail("must be greater than 0");
    return v;
}

double positive_or(Members& m, const char* key, double fallback) {
    const auto n = m.optional(key);
    return n ? positive(*n) : fallback;
}

int whole_or(Members& m, const char* key, int lo, int hi, int fallback) {
    return static_cast<int>(m.whole_or(key, lo, hi, fallback));
}

MeshShape read_mesh(const Node& n) {
    MeshShape s;
    if (n.value().is_string()) {
        s.file = n.text();
    } else {
        Members m(n);
        s.file = m.required("file").text();
        if (const auto h = m.optional("handedness")) {
            static constexpr std::array<const char*, 2> kHands = {"right", "left"};
            s.right_handed = h->choice(kHands, "handedness") == 0;
        }
        if (const auto k = m.optional("normals")) {
            static constexpr std::array<const char*, 3> kSources = {"auto", "file", "average"};
            s.normals = static_cast<NormalSource>(k->choice(kSources, "normal source"));
        }
        if (const auto u = m.optional("up")) {
            static constexpr std::array<const char*, 2> kAxes = {"y", "z"};
            s.up = u->choice(kAxes, "up axis") == 0 ? UpAxis::Y : UpAxis::Z;
        }
        m.finish();
    }
    if (s.file.empty()) n.fail("names no file");
    return s;
}

Shape read_primitive(int kind, const Node& n) {
    Members m(n);
    Shape shape;
    switch (kind) {
        case 1: {
            BoxShape b;
            if (const auto s = m.optional("size")) {
                b.size = s->vec3();
                if (!(b.size.x > 0 && b.size.y > 0 && b.size.z > 0)) s->fail("every side must be greater than 0");
            }
            shape = b;
            break;
        }
        case 2: {
            SphereShape s;
            s.radius = positive_or(m, "radius", s.radius);
            s.segments = whole_or(m, "segments", 3, 4096, s.segments);
            s.rings = whole_or(m, "rings", 2, 4096, s.rings);
            shape = s;
            break;
        }
        case 3: {
            CylinderShape c;
            c.radius = positive_or(m, "radius", c.radius);
            c.height = positive_or(m, "height", c.height);
            c.segments = whole_or(m, "segments", 3, 4096, c.segments);
            c.caps = m.boolean_or("caps", c.caps);
            shape = c;
            break;
        }
        case 4: {
            PlaneShape p;
            p.size_x = positive_or(m, "size_x", p.size_x);
            p.size_z = positive_or(m, "size_z", p.size_z);
            shape = p;
            break;
        }
        default: {
            TorusShape t;
            t.radius = positive_or(m, "radius", t.radius);
            t.tube = positive_or(m, "tube", t.tube);
            t.segments = whole_or(m, "segments", 3, 4096, t.segments);
            t.sides = whole_or(m, "sides", 3, 4096, t.sides);
            shape = t;
            break;
        }
    }
    m.finish();
    return shape;
}

V3D read_scale(const Node& s) {
    const V3D scale = s.value().is_number() ? V3D{s.number(), s.number(), s.number()} : s.vec3();
    if (scale.x == 0 || scale.y == 0 || scale.z == 0) s.fail("must not be zero on any axis");
    return scale;
}

V3D read_vec3(const Node& n) { return n.vec3(); }

TransformTrack read_transform(const Node& n, int frames) {
    Members m(n);
    TransformTrack t;
    if (const auto v = m.optional("translate")) t.translate = read_track<V3D>(*v, frames, read_point);
    if (const auto v = m.optional("rotate")) t.rotate = read_track<V3D>(*v, frames, read_vec3);
    if (const auto v = m.optional("scale")) t.scale = read_track<V3D>(*v, frames, read_scale);
    m.finish();
    return t;
}

// Smooth shading suits curved shapes; boxes and planes have flat faces.
bool smooth_by_default(const Shape& shape) {
    return !std::holds_alternative<BoxShape>(shape) && !std::holds_alternative<PlaneShape>(shape);
}

ObjectDesc read_object(const Node& node, const SurfaceTable& surfaces, int frames, std::size_t index) {
    Members m(node);
    ObjectDesc o;
    o.pointer = node.pointer();
    o.name = std::to_string(index);
    int kinds = 0;
    for (std::size_t k = 0; k < kShapeKeys.size(); ++k) {
        const auto n = m.optional(kShapeKeys[k]);
        if (!n) continue;
        ++kinds;
        o.shape = k == 0 ? Shape(read_mesh(*n)) : read_primitive(static_cast<int>(k), *n);
    }
    if (kinds != 1) node.fail("an object needs exactly one shape: mesh, box, sphere, cylinder, plane or torus");
    if (const auto name = m.optional("name")) o.name = name->text();
    const bool mesh = std::holds_alternative<MeshShape>(o.shape);
    // A mesh without a surface shows its file's materials.
    const auto surface = mesh ? m.optional("surface") : std::optional(m.required("surface"));
    o.surface = surface ? surfaces.index_of(*surface) : int16_t{-1};
    if (const auto map = m.optional("materials")) {
        if (surface) map->fail("an object with a \"surface\" shows no file materials");
        if (!mesh) map->fail("only a mesh has materials");
        for (const auto& [material, target] : Members(*map).all())
            o.material_surfaces.emplace_back(material, surfaces.index_of(target));
    }
    o.smooth = m.boolean_or("smooth", smooth_by_default(o.shape));
    if (const auto s = m.optional("texture_space")) {
        static constexpr std::array<const char*, 2> kSpaces = {"object", "scene"};
        o.object_space = s->choice(kSpaces, "texture space") == 0;
    }
    if (const auto t = m.optional("transform")) o.transform = read_transform(*t, frames);
    m.finish();
    return o;
}

}  // namespace

std::string points_pointer(const ObjectDesc& o) {
    const TransformTrack unmoved;
    if (!(o.transform.scale == unmoved.scale)) return o.pointer + "/transform/scale";
    if (!(o.transform.translate == unmoved.translate)) return o.pointer + "/transform/translate";
    return o.pointer + "/" + kShapeKeys[o.shape.index()];
}

std::vector<ObjectDesc> read_objects(const Node& objects, const SurfaceTable& surfaces, int frames) {
    std::vector<ObjectDesc> out;
    for (const Node& n : objects.items()) out.push_back(read_object(n, surfaces, frames, out.size()));
    return out;
}

}  // namespace zy::zyscene
