#include "zyscene/scene_files.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "geometry/xmath.h"
#include "zyscene/framing.h"
#include "zyscene/input_error.h"
#include "zyscene/near_names.h"
#include "zyscene/transform.h"
#include "zyscene/view_warnings.h"

namespace zy::zyscene {

namespace {

namespace fs = std::filesystem;

// A model shown alone stands on the floor, which lies at y = -0.05.
constexpr double kFloorTop = -0.05;

// Key light high at the front left, dimmer bluish fill low at the right,
// for a model of the standard size standing at the origin.
const V3D kKeyPosition{-5, 8, -6}, kKeyColour{235, 235, 235};
const V3D kFillPosition{7, 3, -5}, kFillColour{90, 95, 110};

struct Imported {
    std::vector<ModelFile> models;  ///< one per object; primitives: the mesh only
};

ModelFile read_object_mesh(const ObjectDesc& o, const fs::path& folder, const ProgressSink& progress) {
    if (!std::holds_alternative<MeshShape>(o.shape)) return {make_primitive(o.shape), {}, {}, {}, {}};
    MeshShape shape = std::get<MeshShape>(o.shape);
    shape.bake_colours = o.surface < 0;
    return import_model(folder / shape.file, shape, o.pointer + "/mesh", progress);
}

// Scaled to the standard size, centred over the origin and set on the floor.
void stand_on_floor(ObjectDesc& o, const Mesh& mesh) {
    Box box;
    for (const V3D& p : mesh.points) box.add(p);
    const double size = std::get<MeshShape>(o.shape).standard_size;
    const double s = box.largest_side() > 0 ? size / box.largest_side() : 1;
    const V3D c = box.centre();
    o.transform.scale = Track<V3D>(V3D{s, s, s});
    o.transform.translate = Track<V3D>(V3D{-c.x * s, kFloorTop - box.lo.y * s, -c.z * s});
}

// A material without a name, or with one that another material of the file
// shares, is told apart by its number; a palette colour baked from a
// material, by its entry after the material's name.
std::string surface_name(const ObjectDesc& o, const std::vector<FileMaterial>& materials, std::size_t index) {
    const FileMaterial& m = materials[index];
    if (m.baked_from >= 0)
        return surface_name(o, materials, static_cast<std::size_t>(m.baked_from)) + "/" +
               std::to_string(m.palette_entry);
    const auto sharing = std::count_if(materials.begin(), materials.end(), [&](const FileMaterial& other) {
        return other.baked_from < 0 && other.name == m.name;
    });
    std::string surface = o.name;
    surface.push_back('/');
    surface.append(m.name);
    if (!m.name.empty() && sharing > 1) surface.push_back('#');
    if (m.name.empty() || sharing > 1) surface.append(std::to_string(index));
    return surface;
}

// The file's materials that the triangles use become surfaces, unless the
// description sends them to one of its own.
void make_file_surfaces(ObjectDesc& o, ModelFile& model, SurfaceTable& surfaces) {
    for (const auto& [name, target] : o.material_surfaces) {
        const bool known = std::any_of(model.materials.begin(), model.materials.end(),
                                       [&](const FileMaterial& m) { return m.name == name; });
        if (!known) {
            std::string names;
            for (const FileMaterial& m : model.materials)
                if (m.baked_from < 0) names += (names.empty() ? "" : ", ") + m.name;
            throw InputError(pointer_child(o.pointer + "/materials", name),
                             "the mesh file has no material \"" + name + "\" (its materials: " + names + ")", true);
        }
    }
    std::map<int32_t, int16_t> made;
    Mesh& mesh = model.mesh;
    int16_t shown = -1;
    for (int32_t material : mesh.tri_material) {
        if (made.contains(material)) continue;
        const auto index = static_cast<std::size_t>(material);
        const FileMaterial& m = model.materials.at(index);
        const auto sent = std::find_if(o.material_surfaces.begin(), o.material_surfaces.end(),
                                       [&](const auto& entry) { return entry.first == m.name; });
        const int16_t surface = sent != o.material_surfaces.end()
                                    ? sent->second
                                    : surfaces.add(surface_name(o, model.materials, index), m.surface, o.pointer);
        made[material] = surface;
        // The object's matrices serve the first surface that needs them.
        if (shown < 0 || (!surfaces.uses_texture_space(shown) && surfaces.uses_texture_space(surface))) shown = surface;
    }
    mesh.tri_surface.clear();
    for (int32_t material : mesh.tri_material) mesh.tri_surface.push_back(made[material]);
    o.surface = shown;
}

// The object showing the file, for the place of its cameras and lights.
const ObjectDesc* object_showing(const Description& d, const fs::path& folder, const std::string& file) {
    std::error_code ec;
    for (const ObjectDesc& o : d.objects)
        if (const auto* mesh = std::get_if<MeshShape>(&o.shape);
            mesh && fs::equivalent(folder / mesh->file, folder / file, ec))
            return &o;
    return nullptr;
}

// A file's cameras and lights, in the scene as the object showing the file
// places them; without one, as the file places them.
struct Placed {
    ModelFile model;
    MAT4 placement;
};

Placed read_placed(const Description& d, const std::vector<ModelFile>& models, const fs::path& folder,
                   const std::string& file, const std::string& pointer) {
    if (const ObjectDesc* o = object_showing(d, folder, file)) {
        const ModelFile& model = models[static_cast<std::size_t>(o - d.objects.data())];
        return {{{}, {}, model.cameras, model.lights, {}}, object_matrix(o->transform.at(0))};
    }
    return {import_model(folder / file, MeshShape{file}, pointer, {}), identity()};
}

V3D place(const MAT4& m, const V3D& p) {
    V3D q;
    v3d_trnsf(p, q, m);
    return q;
}

V3D turn(const MAT4& m, const V3D& d) {
    const V3D a = place(m, {0, 0, 0}), b = place(m, d);
    const V3D v{b.x - a.x, b.y - a.y, b.z - a.z};
    const double len = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {v.x / len, v.y / len, v.z / len};
}

LightTrack light_of(const FileLight& l, const MAT4& m, const Box& scene) {
    RT_LIGHT fixed{};
    V3D position = place(m, l.position);
    const V3D direction = turn(m, l.direction);
    if (l.kind == FileLight::Kind::Spot) {
        fixed.kind = 1;
        fixed.cone_angle = static_cast<int16_t>(std::lround(std::clamp(l.cone, 0.0, 360.0)));
        fixed.cone_soft = static_cast<int16_t>(std::lround(std::clamp(l.softness, 0.0, 100.0)));
    } else if (l.kind == FileLight::Kind::Directional) {
        // Far enough that its rays are as good as parallel across the scene.
        const double away = 100 * std::max(scene.largest_side(), 1.0);
        const V3D c = scene.centre();
        position = {c.x - direction.x * away, c.y - direction.y * away, c.z - direction.z * away};
    }
    return LightTrack::still(fixed, position, l.colour, direction);
}

void settle_lights(Description& d, const std::vector<ModelFile>& models, const fs::path& folder, const Box& scene) {
    // From the last, so that the places of the earlier ones stay right.
    for (auto r = d.light_files.rbegin(); r != d.light_files.rend(); ++r) {
        const Placed placed = read_placed(d, models, folder, r->file, r->pointer);
        std::vector<LightTrack> lights;
        for (const FileLight& l : placed.model.lights) lights.push_back(light_of(l, placed.placement, scene));
        if (lights.empty() && r->defaults_when_file_has_none) {
            lights.push_back(LightTrack::still({}, kKeyPosition, kKeyColour, {0, 0, 0}));
            lights.push_back(LightTrack::still({}, kFillPosition, kFillColour, {0, 0, 0}));
        }
        if (lights.empty()) throw InputError(r->pointer + "/from_file", "the file \"" + r->file + "\" holds no lights");
        d.lights.insert(d.lights.begin() + static_cast<std::ptrdiff_t>(r->index), lights.begin(), lights.end());
    }
}

double aspect_of(const RT_INF& inf) { return static_cast<double>(inf.res_x) / inf.res_y; }

// The picture's horizontal angle for a file camera's view: its vertical
// angle is kept, turned through the picture's aspect.
double picture_fov(const FileCamera& c, double aspect) {
    if (!(c.file_aspect > 0)) return c.horizontal_fov;
    const double half = c.horizontal_fov * kPi / 360;
    const double vertical = std::atan(std::tan(half) / c.file_aspect);
    return std::atan(std::tan(vertical) * aspect) * 360 / kPi;
}

void settle_camera(Description& d, const std::vector<ModelFile>& models, const fs::path& folder, const Box& box,
                   std::vector<std::string>& warnings) {
    if (!d.camera_request) return;
    const CameraRequest& r = *d.camera_request;
    if (!r.fit) {
        const Placed placed = read_placed(d, models, folder, r.file, r.pointer);
        const auto& cameras = placed.model.cameras;
        const auto found = std::find_if(cameras.begin(), cameras.end(), [&](const FileCamera& c) {
            return r.name.empty() ? !c.orthographic : c.name == r.name;
        });
        if (found != cameras.end() && !found->orthographic) {
            if (r.picture_takes_file_aspect && found->file_aspect > 0)
                d.settings.res_y = static_cast<int16_t>(
                    std::clamp(std::lround(d.settings.res_x / found->file_aspect), 1L, 32766L));
            const V3D eye = place(placed.placement, found->eye);
            const V3D ahead = turn(placed.placement, found->direction);
            d.camera = CameraTrack::still(eye, {eye.x + ahead.x, eye.y + ahead.y, eye.z + ahead.z},
                                          turn(placed.placement, found->up),
                                          picture_fov(*found, aspect_of(d.settings)));
            return;
        }
        if (found != cameras.end() && !r.name.empty())
            throw InputError(r.pointer + "/name",
                             "the file's camera \"" + r.name + "\" is orthographic; the renderer shows only "
                             "perspective");
        if (!r.fit_when_file_has_none || !r.name.empty()) {
            std::vector<std::string> names;
            for (const FileCamera& c : cameras) names.push_back(c.name);
            const std::string file = "the file \"" + r.file + "\"";
            const std::string what = cameras.empty() ? " holds no cameras"
                                     : r.name.empty()
                                         ? " holds no perspective camera"
                                         : " has no camera \"" + r.name + "\" (its cameras: " + name_list(names) + ")";
            throw InputError(r.pointer + "/from_file", file + what);
        }
        if (!cameras.empty()) warnings.push_back(r.file + ": its camera is replaced by one that frames the model");
    }
    if (box.empty()) throw InputError(r.pointer, "there is nothing to frame: the scene has no objects");
    d.camera = fit_camera(box, r.fit.value_or(FitRequest{}), r.fov, aspect_of(d.settings));
}

}  // namespace

SceneFiles read_scene_files(Description& d, const fs::path& folder, const ProgressSink& progress) {
    std::vector<ModelFile> models;
    for (ObjectDesc& o : d.objects) {
        models.push_back(read_object_mesh(o, folder, progress));
        const auto* mesh = std::get_if<MeshShape>(&o.shape);
        if (mesh && mesh->standard_size > 0) stand_on_floor(o, models.back().mesh);
        if (o.surface < 0) make_file_surfaces(o, models.back(), d.surfaces);
    }
    SceneFiles out;
    for (ModelFile& m : models) {
        m.mesh.tri_material = {};  // the surfaces are made
        out.meshes.push_back(std::move(m.mesh));
        out.warnings.insert(out.warnings.end(), m.warnings.begin(), m.warnings.end());
    }
    out.extent = scene_extent(d.objects, out.meshes, d.frames());
    settle_lights(d, models, folder, out.extent.scene);
    settle_camera(d, models, folder, out.extent.scene, out.warnings);
    const auto view = view_warnings(d, out.meshes);
    out.warnings.insert(out.warnings.end(), view.begin(), view.end());
    return out;
}

}  // namespace zy::zyscene
