#include "zyscene/file_cameras_lights.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "geometry/xmath.h"

namespace zy::zyscene {

namespace {

std::string lower_extension(const std::filesystem::path& file) {
    std::string e = file.extension().string();
    for (char& c : e) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return e;
}

// FBX files name their axes; Blender's own files are always z-up.
bool file_says_z_up(const aiScene& scene, const std::filesystem::path& file) {
    if (lower_extension(file) == ".blend") return true;
    int32_t axis = 1;
    return scene.mMetaData != nullptr && scene.mMetaData->Get("UpAxis", axis) && axis == 2;
}

double degrees(double radians) { return radians * 180.0 / kPi; }

// The node's transform in the whole file: its parents' first.
aiMatrix4x4 placement_of(const aiScene& scene, const aiString& name) {
    aiMatrix4x4 m;
    for (const aiNode* n = scene.mRootNode ? scene.mRootNode->FindNode(name) : nullptr; n != nullptr; n = n->mParent)
        m = n->mTransformation * m;
    return m;
}

// Into the left-handed frame, as the importer mirrors the meshes.
aiVector3D mirrored(const FileFrame& frame, aiVector3D v) {
    if (frame.right_handed()) v.z = -v.z;
    return v;
}

V3D point(const FileFrame& frame, const aiMatrix4x4& m, const aiVector3D& local) {
    const aiVector3D p = frame.upright(mirrored(frame, m * local));
    return {p.x, p.y, p.z};
}

V3D direction(const FileFrame& frame, const aiMatrix4x4& m, const aiVector3D& local) {
    aiVector3D d = frame.upright(mirrored(frame, aiMatrix3x3(m) * local));
    d.NormalizeSafe();
    return {d.x, d.y, d.z};
}

FileCamera camera_of(const aiScene& scene, const FileFrame& frame, const aiCamera& c) {
    const aiMatrix4x4 m = placement_of(scene, c.mName);
    FileCamera out;
    out.name = c.mName.C_Str();
    out.eye = point(frame, m, frame.camera_at_node() ? aiVector3D(0, 0, 0) : c.mPosition);
    out.direction = direction(frame, m, c.mLookAt);
    out.up = direction(frame, m, c.mUp);
    out.file_aspect = c.mAspect > 0 ? c.mAspect : 0;
    out.horizontal_fov = degrees(c.mHorizontalFOV);
    if (frame.camera_at_node() && out.file_aspect > 0) {
        // glTF's importer multiplies the vertical angle by the aspect.
        const double vertical = c.mHorizontalFOV / out.file_aspect;
        out.horizontal_fov = degrees(2 * std::atan(std::tan(vertical / 2) * out.file_aspect));
    }
    out.orthographic = c.mOrthographicWidth > 0 || !(out.horizontal_fov > 0 && out.horizontal_fov < 180);
    return out;
}

// Colour times intensity: 1 is full brightness; a brighter light keeps its hue at full brightness.
V3D light_colour(const aiColor3D& c) {
    const double top = std::max({1.0f, c.r, c.g, c.b});
    const auto channel = [&](float v) { return std::round(255 * std::clamp(v / top, 0.0, 1.0)); };
    return {channel(c.r), channel(c.g), channel(c.b)};
}

}  // namespace

FileFrame::FileFrame(const MeshShape& shape, const aiScene& scene, const std::filesystem::path& file)
    : right_handed_(shape.right_handed),
      z_up_(shape.up == UpAxis::Z || (shape.up == UpAxis::Auto && file_says_z_up(scene, file))),
      camera_at_node_(lower_extension(file) == ".gltf" || lower_extension(file) == ".glb"),
      name_(shape.file) {}

aiVector3D FileFrame::upright(const aiVector3D& v) const {
    if (!z_up_) return v;
    // A quarter turn about x: z goes to y, in either handedness.
    return right_handed_ ? aiVector3D(v.x, -v.z, v.y) : aiVector3D(v.x, v.z, -v.y);
}

void read_cameras_lights(const aiScene& scene, const FileFrame& frame, ModelFile& model) {
    int orthographic = 0;
    for (unsigned i = 0; i < scene.mNumCameras; ++i) {
        model.cameras.push_back(camera_of(scene, frame, *scene.mCameras[i]));
        orthographic += model.cameras.back().orthographic ? 1 : 0;
    }
    if (orthographic > 0)
        model.warnings.push_back(frame.name() + ": " + std::to_string(orthographic) +
                                 " orthographic camera(s): the renderer shows perspective only");
    std::map<std::string, int> approximated;
    for (unsigned i = 0; i < scene.mNumLights; ++i) {
        const aiLight& l = *scene.mLights[i];
        const aiMatrix4x4 m = placement_of(scene, l.mName);
        FileLight out;
        out.name = l.mName.C_Str();
        out.position = point(frame, m, l.mPosition);
        out.direction = direction(frame, m, l.mDirection);
        out.colour = light_colour(l.mColorDiffuse);
        switch (l.mType) {
            case aiLightSource_POINT: break;
            case aiLightSource_DIRECTIONAL: out.kind = FileLight::Kind::Directional; break;
            case aiLightSource_SPOT: {
                out.kind = FileLight::Kind::Spot;
                const double outer = std::clamp(degrees(l.mAngleOuterCone), 0.0, 180.0);
                const double inner = std::clamp(degrees(l.mAngleInnerCone), 0.0, outer);
                out.cone = 2 * outer;
                out.softness = outer > 0 ? 100 * (outer - inner) / outer : 0;
                break;
            }
            case aiLightSource_AREA: ++approximated["area light(s) shown as point lights at their centres"]; break;
            default: ++approximated["ambient or undefined light(s) dropped"]; continue;
        }
        model.lights.push_back(out);
    }
    for (const auto& [what, count] : approximated)
        model.warnings.push_back(frame.name() + ": " + std::to_string(count) + " " + what);
}

}  // namespace zy::zyscene
