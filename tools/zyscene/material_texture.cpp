#include "zyscene/material_texture.h"

#include <assimp/material.h>
#include <assimp/scene.h>
#include <stb/stb_image.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <stdexcept>

namespace zy::zyscene {

namespace {

namespace fs = std::filesystem;

using Pixels = std::unique_ptr<stbi_uc, decltype(&stbi_image_free)>;

// A picture this large would take gigabytes once decoded.
constexpr int64_t kMostTexels = int64_t{1} << 28;

// Pieces are sampled on a grid of at most this many steps along an edge.
constexpr int kMostSteps = 16;

constexpr double kGamma = 2.2;

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
};

void check_size(int64_t width, int64_t height) {
    if (width <= 0 || height <= 0 || width * height > kMostTexels)
        throw std::runtime_error(std::to_string(width) + " x " + std::to_string(height) + " pixels is too large");
}

Picture decoded(Pixels pixels, int width, int height) {
    if (!pixels) throw std::runtime_error(stbi_failure_reason());
    const auto bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
    return {width, height, std::vector<uint8_t>(pixels.get(), pixels.get() + bytes)};
}

Picture embedded_picture(const aiTexture& t) {
    if (t.mHeight != 0) {
        check_size(t.mWidth, t.mHeight);
        Picture p{static_cast<int>(t.mWidth), static_cast<int>(t.mHeight), {}};
        for (std::size_t i = 0; i < std::size_t{t.mWidth} * t.mHeight; ++i)
            p.rgb.insert(p.rgb.end(), {t.pcData[i].r, t.pcData[i].g, t.pcData[i].b});
        return p;
    }
    // A compressed picture: mWidth counts its bytes.
    if (t.mWidth > static_cast<unsigned>(std::numeric_limits<int>::max())) throw std::runtime_error("too large");
    const auto* bytes = reinterpret_cast<const stbi_uc*>(t.pcData);
    const int length = static_cast<int>(t.mWidth);
    int width = 0, height = 0, channels = 0;
    if (stbi_info_from_memory(bytes, length, &width, &height, &channels) == 0)
        throw std::runtime_error(stbi_failure_reason());
    check_size(width, height);
    return decoded(Pixels(stbi_load_from_memory(bytes, length, &width, &height, &channels, 3), stbi_image_free),
                   width, height);
}

Picture file_picture(const fs::path& file) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec))
        throw std::runtime_error("not found; looked for " + fs::absolute(file, ec).lexically_normal().string());
    const std::string path = file.string();
    int width = 0, height = 0, channels = 0;
    if (stbi_info(path.c_str(), &width, &height, &channels) == 0) throw std::runtime_error(stbi_failure_reason());
    check_size(width, height);
    return decoded(Pixels(stbi_load(path.c_str(), &width, &height, &channels, 3), stbi_image_free), width, height);
}

const std::array<double, 256>& linear_of_byte() {
    static const auto table = [] {
        std::array<double, 256> t{};
        for (std::size_t b = 0; b < t.size(); ++b) t[b] = std::pow(static_cast<double>(b) / 255, kGamma);
        return t;
    }();
    return table;
}

// Where a coordinate falls in the repeating picture, 0..1; a broken one at 0.
double repeated(double t) { return std::isfinite(t) ? t - std::floor(t) : 0; }

}  // namespace

MaterialTexture::MaterialTexture(int width, int height, std::vector<uint8_t> rgb, unsigned uv_channel)
    : width_(width), height_(height), rgb_(std::move(rgb)), uv_channel_(uv_channel) {}

double MaterialTexture::texel_area(const UvTriangle& uv) const {
    const double du1 = uv[1][0] - uv[0][0], dv1 = uv[1][1] - uv[0][1];
    const double du2 = uv[2][0] - uv[0][0], dv2 = uv[2][1] - uv[0][1];
    return std::abs(du1 * dv2 - dv1 * du2) / 2 * width_ * height_;
}

std::array<double, 3> MaterialTexture::light_at(double u, double v) const {
    // Texture coordinates count v upwards, the picture's rows downwards.
    const int x = std::min(static_cast<int>(repeated(u) * width_), width_ - 1);
    const int y = std::min(static_cast<int>((1 - repeated(v)) * height_), height_ - 1);
    const uint8_t* p = rgb_.data() + 3 * (static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                                          static_cast<std::size_t>(x));
    const auto& linear = linear_of_byte();
    return {linear[p[0]], linear[p[1]], linear[p[2]]};
}

std::array<double, 3> MaterialTexture::mean_colour(const UvTriangle& uv) const {
    // The centres of the n * n triangles of the piece cut n times along each
    // edge, about one per texel.
    const double area = texel_area(uv);
    const int n = std::isfinite(area) ? std::clamp(static_cast<int>(std::ceil(std::sqrt(area))), 1, kMostSteps) : 1;
    std::array<double, 3> sum{};
    int count = 0;
    const auto sample = [&](double s, double t) {
        const double u = uv[0][0] + s * (uv[1][0] - uv[0][0]) + t * (uv[2][0] - uv[0][0]);
        const double v = uv[0][1] + s * (uv[1][1] - uv[0][1]) + t * (uv[2][1] - uv[0][1]);
        const auto light = light_at(u, v);
        for (std::size_t c = 0; c < 3; ++c) sum[c] += light[c];
        ++count;
    };
    for (int i = 0; i < n; ++i)
        for (int j = 0; i + j < n; ++j) {
            sample((i + 1.0 / 3) / n, (j + 1.0 / 3) / n);
            if (i + j + 1 < n) sample((i + 2.0 / 3) / n, (j + 2.0 / 3) / n);
        }
    std::array<double, 3> mean{};
    for (std::size_t c = 0; c < 3; ++c) mean[c] = std::pow(sum[c] / count, 1 / kGamma);
    return mean;
}

std::optional<MaterialTexture> read_material_texture(const aiScene& scene, const aiMaterial& material,
                                                     const fs::path& folder, const std::string& model_name,
                                                     std::vector<std::string>& warnings) {
    aiTextureType type = aiTextureType_BASE_COLOR;
    if (material.GetTextureCount(type) == 0) type = aiTextureType_DIFFUSE;
    aiString name;
    unsigned uv_channel = 0;
    if (material.GetTextureCount(type) == 0 ||
        material.GetTexture(type, 0, &name, nullptr, &uv_channel) != AI_SUCCESS)
        return std::nullopt;
    std::string path = name.C_Str();
    std::replace(path.begin(), path.end(), '\\', '/');
    try {
        const aiTexture* inside = scene.GetEmbeddedTexture(path.c_str());
        // Files made elsewhere often name a texture by a path of their maker's
        // machine; the picture usually lies beside the model.
        std::error_code ec;
        const fs::path named = folder / path, beside = folder / fs::path(path).filename();
        Picture p = inside ? embedded_picture(*inside)
                           : file_picture(!fs::exists(named, ec) && fs::exists(beside, ec) ? beside : named);
        return MaterialTexture(p.width, p.height, std::move(p.rgb), uv_channel);
    } catch (const std::exception& e) {
        warnings.push_back(model_name + ": the texture \"" + path + "\" of material \"" + material.GetName().C_Str() +
                           "\" cannot be read (" + e.what() + "); the material shows its own colour");
    }
    return std::nullopt;
}

}  // namespace zy::zyscene
