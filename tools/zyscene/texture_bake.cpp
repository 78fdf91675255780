#include "zyscene/texture_bake.h"

#include <assimp/material.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cmath>

#include "zyscene/subdivision.h"

namespace zy::zyscene {

namespace {

aiVector3D at(const Corners& corners, const Barycentric& w) {
    // In double, so that a point on an edge two triangles share comes out the same from both.
    double p[3];
    for (unsigned c = 0; c < 3; ++c)
        p[c] = corners[0][c] * w[0] + corners[1][c] * w[1] + corners[2][c] * w[2];
    return {static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2])};
}

uint8_t byte(double share) { return static_cast<uint8_t>(std::lround(255 * std::clamp(share, 0.0, 1.0))); }

// The material with its colour replaced by a palette colour, through the
// same conversion as the file's own colours.
FileMaterial palette_material(const aiMaterial& source, const Rgb8& colour, int32_t index, int entry) {
    aiMaterial copy;
    aiMaterial::CopyPropertyList(&copy, &source);
    aiColor4D c(colour[0] / 255.0f, colour[1] / 255.0f, colour[2] / 255.0f, 1);
    copy.AddProperty(&c, 1, AI_MATKEY_COLOR_DIFFUSE);
    aiColor4D base;
    if (source.Get(AI_MATKEY_BASE_COLOR, base) == AI_SUCCESS) {
        c.a = base.a;
        copy.AddProperty(&c, 1, AI_MATKEY_BASE_COLOR);
    }
    FileMaterial m = convert_material(copy);
    m.baked_from = index;
    m.palette_entry = entry;
    return m;
}

}  // namespace

ColourBaker::ColourBaker(const aiScene& scene, const std::filesystem::path& folder, const std::string& model_name,
                         bool read_textures, std::vector<std::string>& warnings)
    : scene_(scene), textures_(scene.mNumMaterials) {
    if (!read_textures) return;
    std::vector<bool> used(scene.mNumMaterials);
    for (unsigned i = 0; i < scene.mNumMeshes; ++i) used.at(scene.mMeshes[i]->mMaterialIndex) = true;
    for (unsigned m = 0; m < scene.mNumMaterials; ++m)
        if (used[m]) textures_[m] = read_material_texture(scene, *scene.mMaterials[m], folder, model_name, warnings);
}

const MaterialTexture* ColourBaker::texture_for(const aiMesh& mesh) const {
    const auto& t = textures_.at(mesh.mMaterialIndex);
    return t && mesh.HasTextureCoords(t->uv_channel()) ? &*t : nullptr;
}

bool ColourBaker::paints(const aiMesh& mesh) const { return texture_for(mesh) || mesh.HasVertexColors(0); }

void ColourBaker::add(const aiMesh& mesh, unsigned face, const Corners& position, const Corners& normal) {
    const auto material = static_cast<int32_t>(mesh.mMaterialIndex);
    const MaterialTexture* t = texture_for(mesh);
    Kept k{position, normal, {}, {}, material, t};
    for (std::size_t c = 0; c < 3; ++c) {
        const unsigned v = mesh.mFaces[face].mIndices[c];
        if (t) {
            const aiVector3D& uv = mesh.mTextureCoords[t->uv_channel()][v];
            k.uv[c] = {uv.x, uv.y};
        }
        const aiColor4D colour = mesh.HasVertexColors(0) ? mesh.mColors[0][v] : aiColor4D(1, 1, 1, 1);
        k.colour[c] = {colour.r, colour.g, colour.b};
    }
    kept_.push_back(k);
}

std::vector<Rgb8> ColourBaker::piece_colours(const std::vector<int>& depths) const {
    std::vector<Rgb8> colours;
    for (std::size_t i = 0; i < kept_.size(); ++i) {
        const Kept& k = kept_[i];
        const MaterialTexture* t = k.texture;
        for_each_piece(depths[i], [&](const Piece& piece) {
            if (t) {
                UvTriangle uv{};
                for (std::size_t c = 0; c < 3; ++c)
                    for (std::size_t a = 0; a < 2; ++a)
                        uv[c][a] = k.uv[0][a] * piece[c][0] + k.uv[1][a] * piece[c][1] + k.uv[2][a] * piece[c][2];
                const auto mean = t->mean_colour(uv);
                colours.push_back({byte(mean[0]), byte(mean[1]), byte(mean[2])});
                return;
            }
            // Vertex colours: the mean of the corners, which is the colour at the centre.
            const Barycentric centre{(piece[0][0] + piece[1][0] + piece[2][0]) / 3,
                                     (piece[0][1] + piece[1][1] + piece[2][1]) / 3,
                                     (piece[0][2] + piece[1][2] + piece[2][2]) / 3};
            Rgb8 mean{};
            for (std::size_t c = 0; c < 3; ++c)
                mean[c] = byte(k.colour[0][c] * centre[0] + k.colour[1][c] * centre[1] + k.colour[2][c] * centre[2]);
            colours.push_back(mean);
        });
    }
    return colours;
}

void ColourBaker::bake(std::size_t triangles, std::vector<FileMaterial>& materials, const PieceSink& sink) const {
    std::vector<double> areas;
    for (const Kept& k : kept_) {
        const MaterialTexture* t = k.texture;
        areas.push_back(t ? t->texel_area({{{k.uv[0][0], k.uv[0][1]}, {k.uv[1][0], k.uv[1][1]}, {k.uv[2][0], k.uv[2][1]}}})
                          : 0.0);
    }
    const std::vector<int> depths =
        split_depths(areas, kTexelsPerPiece, std::min(std::max(kAddedPerTriangle * triangles, kLeastAdded), kMostAdded));
    const std::vector<Rgb8> colours = piece_colours(depths);

    // Each material's pieces, in order, and their colours.
    std::vector<std::vector<std::size_t>> pieces_of(textures_.size());
    std::size_t piece = 0;
    for (std::size_t i = 0; i < kept_.size(); ++i)
        for (std::size_t n = std::size_t{1} << (2 * depths[i]); n > 0; --n)
            pieces_of[static_cast<std::size_t>(kept_[i].material)].push_back(piece++);
    std::vector<int32_t> piece_material(colours.size());
    for (std::size_t m = 0; m < pieces_of.size(); ++m) {
        if (pieces_of[m].empty()) continue;
        std::vector<Rgb8> own;
        for (std::size_t p : pieces_of[m]) own.push_back(colours[p]);
        const Palette palette = median_cut(own, kPaletteSize);
        const auto first = static_cast<int32_t>(materials.size());
        for (std::size_t e = 0; e < palette.colours.size(); ++e)
            materials.push_back(palette_material(*scene_.mMaterials[m], palette.colours[e], static_cast<int32_t>(m),
                                                 static_cast<int>(e)));
        for (std::size_t j = 0; j < own.size(); ++j) piece_material[pieces_of[m][j]] = first + palette.entry_of[j];
    }

    piece = 0;
    for (std::size_t i = 0; i < kept_.size(); ++i) {
        const Kept& k = kept_[i];
        for_each_piece(depths[i], [&](const Piece& p) {
            Corners position, normal;
            for (std::size_t c = 0; c < 3; ++c) {
                position[c] = at(k.position, p[c]);
                normal[c] = at(k.normal, p[c]);
            }
            sink(position, normal, piece_material[piece++]);
        });
    }
}

}  // namespace zy::zyscene
