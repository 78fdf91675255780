#include "zyscene/file_materials.h"

#include <assimp/GltfMaterial.h>
#include <assimp/material.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "zyscene/names.h"
#include "zyscene/surfaces.h"

namespace zy::zyscene {

namespace {

using Rgb = std::array<double, 3>;

// What the table reads from a material; absent values stay empty.
struct Values {
    Rgb colour{1, 1, 1};
    double opacity = 1;
    std::optional<double> metallic, roughness, ior, transmission;
    std::optional<Rgb> specular;
    std::optional<double> shininess;
    double specular_strength = 1;
    Rgb emission{0, 0, 0};
};

std::optional<double> number(const aiMaterial& m, const char* key, unsigned type, unsigned index) {
    ai_real v = 0;
    if (m.Get(key, type, index, v) != AI_SUCCESS) return std::nullopt;
    return static_cast<double>(v);
}

std::optional<aiColor4D> colour(const aiMaterial& m, const char* key, unsigned type, unsigned index) {
    aiColor4D c;
    if (m.Get(key, type, index, c) != AI_SUCCESS) return std::nullopt;
    return c;
}

Rgb rgb(const aiColor4D& c) { return {c.r, c.g, c.b}; }

Values read_values(const aiMaterial& m) {
    Values v;
    // glTF's base colour wins over the diffuse colour its importer also sets.
    const auto base = colour(m, AI_MATKEY_BASE_COLOR);
    const auto diffuse = base ? base : colour(m, AI_MATKEY_COLOR_DIFFUSE);
    if (diffuse) v.colour = rgb(*diffuse);
    if (const auto o = number(m, AI_MATKEY_OPACITY)) v.opacity = *o;
    aiString mode;
    if (base && m.Get(AI_MATKEY_GLTF_ALPHAMODE, mode) == AI_SUCCESS && std::string(mode.C_Str()) == "BLEND")
        v.opacity = std::min(v.opacity, static_cast<double>(base->a));
    v.metallic = number(m, AI_MATKEY_METALLIC_FACTOR);
    v.roughness = number(m, AI_MATKEY_ROUGHNESS_FACTOR);
    v.transmission = number(m, AI_MATKEY_TRANSMISSION_FACTOR);
    v.ior = number(m, AI_MATKEY_REFRACTI);
    if (const auto s = colour(m, AI_MATKEY_COLOR_SPECULAR)) v.specular = rgb(*s);
    v.shininess = number(m, AI_MATKEY_SHININESS);
    v.specular_strength = number(m, AI_MATKEY_SHININESS_STRENGTH).value_or(1);
    if (const auto e = colour(m, AI_MATKEY_COLOR_EMISSIVE)) {
        const double intensity = number(m, AI_MATKEY_EMISSIVE_INTENSITY).value_or(1);
        v.emission = {e->r * intensity, e->g * intensity, e->b * intensity};
    }
    return v;
}

double unit(double v) { return std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.0; }

uint8_t percent(double share) { return static_cast<uint8_t>(std::lround(100 * unit(share))); }

uint8_t byte(double v) { return static_cast<uint8_t>(std::lround(255 * unit(v))); }

double largest(const Rgb& c) { return std::max({c[0], c[1], c[2]}); }

// The files hold half the exponent, 1..255.
uint8_t half_exponent(double exponent) {
    if (!std::isfinite(exponent)) return 255;
    return static_cast<uint8_t>(std::clamp(std::lround(exponent / 2), 1L, 255L));
}

uint8_t nearest_refraction(double ior) {
    static constexpr std::array<double, kRefractionNames.size()> kIndices = {1.0003, 1.3329, 1.4588, 1.76, 2.4173};
    std::size_t best = 0;
    for (std::size_t i = 1; i < kIndices.size(); ++i)
        if (std::abs(kIndices[i] - ior) < std::abs(kIndices[best] - ior)) best = i;
    return static_cast<uint8_t>(best);
}

RT_SRF surface_of(const Values& v) {
    RT_SRF s = plain_surface();
    RT_MAT_BLOCK& m = s.mat[0];
    for (int c = 0; c < 3; ++c) m.color[c] = byte(v.colour[c]);
    if (v.roughness || v.metallic) {
        // Roughness r to the Blinn exponent of the same highlight width, 2 / r^4 - 2.
        const double r = std::max(unit(v.roughness.value_or(1)), 0.05);
        const double metal = unit(v.metallic.value_or(0));
        m.spec_exp = half_exponent(2 / std::pow(r, 4) - 2);
        m.specular = percent((1 - r) * (0.6 + 0.4 * metal));
        m.diffuse = percent(0.8 * (1 - 0.6 * metal));
        if (metal >= 0.5) {
            s.srf_flags |= 4;
            m.reflect = percent(metal * (1 - r) * (1 - r) * 0.8);
        }
    } else if (v.specular) {
        m.specular = percent(largest(*v.specular) * v.specular_strength);
        if (v.shininess && *v.shininess > 0) m.spec_exp = half_exponent(*v.shininess);
    }
    const double clear = std::max(unit(1 - v.opacity), unit(v.transmission.value_or(0)));
    if (clear > 0) {
        m.transp = percent(clear);
        m.ambient = percent(0.2 * (1 - clear));
        m.diffuse = percent(m.diffuse / 100.0 * (1 - clear));
        m.specular = std::max(m.specular, percent(0.8 * clear));
        m.spec_exp = std::max(m.spec_exp, half_exponent(100));
        m.refraction = nearest_refraction(v.ior.value_or(1.5));
        // Light through it takes its colour; clear glass casts no shadow.
        s.srf_flags |= 8;
        if (clear >= 0.8) s.srf_flags |= 2;
    }
    const double glow = largest(v.emission);
    if (glow >= 0.01) {
        // The renderer's glow is a share of the colour, so the colour becomes the emission's hue.
        m.luminous = percent(glow);
        for (int c = 0; c < 3; ++c) m.color[c] = byte(v.emission[c] / glow);
    }
    s.mat[1] = m;
    return s;
}

}  // namespace

FileMaterial convert_material(const aiMaterial& material) {
    return {material.GetName().C_Str(), surface_of(read_values(material))};
}

}  // namespace zy::zyscene
