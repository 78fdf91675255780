// The colour picture a model file's material lays over its triangles by
// their texture coordinates.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

struct aiMaterial;
struct aiScene;

namespace zy::zyscene {

/// Texture coordinates of a triangle's corners.
using UvTriangle = std::array<std::array<double, 2>, 3>;

class MaterialTexture {
public:
    MaterialTexture(int width, int height, std::vector<uint8_t> rgb, unsigned uv_channel);

    /// The set of texture coordinates the material reads.
    unsigned uv_channel() const { return uv_channel_; }
    /// How many texels the triangle covers.
    double texel_area(const UvTriangle& uv) const;
    /// The mean colour over the triangle, 0..1 as the picture shows it,
    /// averaged in linear light. Coordinates outside 0..1 repeat the picture.
    std::array<double, 3> mean_colour(const UvTriangle& uv) const;

private:
    std::array<double, 3> light_at(double u, double v) const;

    int width_, height_;
    std::vector<uint8_t> rgb_;  ///< rows from the top
    unsigned uv_channel_;
};

/// The material's base-colour (or else diffuse) texture: a file beside the
/// model or one embedded in it. Nothing when the material has none, or when
/// it cannot be read, which adds a warning line.
std::optional<MaterialTexture> read_material_texture(const aiScene& scene, const aiMaterial& material,
                                                     const std::filesystem::path& folder,
                                                     const std::string& model_name,
                                                     std::vector<std::string>& warnings);

}  // namespace zy::zyscene
