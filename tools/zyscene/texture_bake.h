// Textures and vertex colours of a model file baked into its triangles: the
// renderer lays pictures only by projection, so each textured triangle is
// split into pieces of a few texels, each piece takes one colour, and each
// material's colours become a palette of materials.
#pragma once

#include <assimp/vector3.h>

#include <array>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "zyscene/file_materials.h"
#include "zyscene/material_texture.h"
#include "zyscene/palette.h"

struct aiMesh;
struct aiScene;

namespace zy::zyscene {

/// The pieces of a triangle are split until each covers at most this many texels.
inline constexpr double kTexelsPerPiece = 4;
/// The pieces added in all are at most this many times the model's triangles,
inline constexpr std::size_t kAddedPerTriangle = 4;
/// or this many when that is more, so that a textured box shows its picture,
inline constexpr std::size_t kLeastAdded = 100'000;
/// and never more than this many.
inline constexpr std::size_t kMostAdded = 2'000'000;
/// Colours per material.
inline constexpr std::size_t kPaletteSize = 256;

using Corners = std::array<aiVector3D, 3>;

/// Receives a baked piece: its corners, their normals and its material.
using PieceSink = std::function<void(const Corners& position, const Corners& normal, int32_t material)>;

class ColourBaker {
public:
    /// Reads the textures of the materials the scene's meshes use, relative to
    /// folder, unless told not to; a texture that cannot be read adds a line
    /// to warnings.
    ColourBaker(const aiScene& scene, const std::filesystem::path& folder, const std::string& model_name,
                bool read_textures, std::vector<std::string>& warnings);

    /// True when the mesh takes its colours from its material's texture or
    /// from its vertex colours: its triangles then go to add().
    bool paints(const aiMesh& mesh) const;
    /// Keeps the mesh's triangle face, whose corners are given in the model's frame.
    void add(const aiMesh& mesh, unsigned face, const Corners& position, const Corners& normal);
    /// Splits the triangles kept within the budget that the model's
    /// `triangles` allow, colours each piece, appends each material's palette
    /// to materials, and hands every piece to sink.
    void bake(std::size_t triangles, std::vector<FileMaterial>& materials, const PieceSink& sink) const;

private:
    using Rgb = std::array<float, 3>;
    struct Kept {
        Corners position, normal;
        std::array<std::array<float, 2>, 3> uv;
        std::array<Rgb, 3> colour;
        int32_t material;
        const MaterialTexture* texture;  ///< null: vertex colours
    };

    /// The texture that colours the mesh, if its material has one and the mesh its coordinates.
    const MaterialTexture* texture_for(const aiMesh& mesh) const;
    std::vector<Rgb8> piece_colours(const std::vector<int>& depths) const;

    const aiScene& scene_;
    std::vector<std::optional<MaterialTexture>> textures_;  ///< per material
    std::vector<Kept> kept_;
};

}  // namespace zy::zyscene
