#include "zyscene/mesh_import.h"

#include <assimp/Importer.hpp>
#include <assimp/config.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <bit>
#include <cstdio>
#include <unordered_map>

#include "zyscene/file_cameras_lights.h"
#include "zyscene/input_error.h"
#include "zyscene/texture_bake.h"

namespace zy::zyscene {

namespace {

namespace fs = std::filesystem;

// Files above this size announce themselves: importing them takes a while.
constexpr std::uintmax_t kLargeFile = 4u << 20;

struct PositionKey {
    uint32_t x, y, z;
    bool operator==(const PositionKey&) const = default;
};

struct PositionHash {
    std::size_t operator()(const PositionKey& k) const {
        return (static_cast<std::size_t>(k.x) * 73856093u) ^ (static_cast<std::size_t>(k.y) * 19349663u) ^
               (static_cast<std::size_t>(k.z) * 83492791u);
    }
};

// Adding 0 turns -0 into +0, so the two zeros weld.
PositionKey key_of(const aiVector3D& v) {
    return {std::bit_cast<uint32_t>(v.x + 0.0f), std::bit_cast<uint32_t>(v.y + 0.0f),
            std::bit_cast<uint32_t>(v.z + 0.0f)};
}

V3D unit(aiVector3D n) {
    n.NormalizeSafe();
    return {n.x, n.y, n.z};
}

std::string size_text(std::uintmax_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1 << 20));
    return text;
}

}  // namespace

ModelFile import_model(const fs::path& file, const MeshShape& shape, const std::string& pointer,
                       const ProgressSink& progress) {
    const std::string name = shape.file;
    std::error_code ec;
    if (!fs::is_regular_file(file, ec))
        throw InputError(pointer, "mesh file \"" + name + "\" not found (looked for " +
                                      fs::absolute(file, ec).lexically_normal().string() + ")");
    const auto bytes = fs::file_size(file, ec);
    const bool large = !ec && bytes >= kLargeFile;
    if (large && progress) progress("reading " + name + " (" + size_text(bytes) + ") ...");

    Assimp::Importer importer;
    importer.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE, aiPrimitiveType_POINT | aiPrimitiveType_LINE);
    unsigned flags = aiProcess_Triangulate | aiProcess_PreTransformVertices | aiProcess_SortByPType |
                     aiProcess_ValidateDataStructure;
    if (shape.right_handed) flags |= aiProcess_MakeLeftHanded | aiProcess_FlipWindingOrder;
    const aiScene* scene = importer.ReadFile(file.string(), flags);
    if (scene == nullptr)
        throw InputError(pointer, "cannot read mesh file \"" + name + "\": " + importer.GetErrorString());

    const FileFrame frame(shape, *scene, file);
    ModelFile model;
    Mesh& mesh = model.mesh;
    std::unordered_map<PositionKey, int32_t, PositionHash> welded;
    bool all_have_normals = true;
    for (unsigned i = 0; i < scene->mNumMeshes; ++i) all_have_normals = all_have_normals && scene->mMeshes[i]->HasNormals();
    if (shape.normals == NormalSource::File && !all_have_normals)
        throw InputError(pointer, "mesh file \"" + name + "\" has no normals (or not for every part)");
    const bool keep_normals = all_have_normals && shape.normals != NormalSource::Average;

    const auto add_triangle = [&](const Corners& position, const Corners& normal, int32_t material) {
        std::array<int32_t, 3> tri{};
        std::array<V3D, 3> normals{};
        for (std::size_t c = 0; c < 3; ++c) {
            const auto [it, added] =
                welded.try_emplace(key_of(position[c]), static_cast<int32_t>(mesh.points.size()));
            if (added) mesh.points.push_back({position[c].x, position[c].y, position[c].z});
            tri[c] = it->second;
            normals[c] = unit(normal[c]);
        }
        mesh.tris.push_back(tri);
        mesh.tri_material.push_back(material);
        if (keep_normals) mesh.normals.push_back(normals);
    };
    ColourBaker baker(*scene, file.parent_path(), name, shape.bake_colours, model.warnings);
    std::size_t triangles = 0;
    for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
        const aiMesh* m = scene->mMeshes[i];
        const bool painted = shape.bake_colours && baker.paints(*m);
        for (unsigned f = 0; f < m->mNumFaces; ++f) {
            const aiFace& face = m->mFaces[f];
            if (face.mNumIndices != 3) continue;  // points and lines left after triangulation
            Corners position, normal;
            for (std::size_t c = 0; c < 3; ++c) {
                const unsigned v = face.mIndices[c];
                position[c] = frame.upright(m->mVertices[v]);
                if (keep_normals) normal[c] = frame.upright(m->mNormals[v]);
            }
            ++triangles;
            if (painted)
                baker.add(*m, f, position, normal);
            else
                add_triangle(position, normal, static_cast<int32_t>(m->mMaterialIndex));
        }
    }
    for (unsigned i = 0; i < scene->mNumMaterials; ++i) model.materials.push_back(convert_material(*scene->mMaterials[i]));
    baker.bake(triangles, model.materials, add_triangle);
    if (mesh.tris.empty()) throw InputError(pointer, "mesh file \"" + name + "\" holds no triangles");
    if (large && progress) progress(name + ": " + std::to_string(mesh.tris.size()) + " triangles");
    if (scene->mNumCameras > 0 || scene->mNumLights > 0) {
        Assimp::Importer raw;
        if (const aiScene* as_written = raw.ReadFile(file.string(), 0)) read_cameras_lights(*as_written, frame, model);
    }
    return model;
}

}  // namespace zy::zyscene
