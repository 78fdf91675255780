// The readable names of the codes the scene files hold. A name's position in
// its table gives the code (plus one where code 0 means "none").
#pragma once

#include <array>

namespace zy::zyscene {

/// Procedural patterns; code = position + 1.
inline constexpr std::array<const char*, 32> kPatternNames = {
    "marble1",       "marble2",       "marble3",      "marble4",         "granite",  "stone",
    "wood_massive",  "wood_ledges",   "random1",      "random2",         "random3",  "random4",
    "strips1",       "strips2",       "strips3",      "strips4",         "spotted1", "spotted2",
    "dotted1",       "dotted2",       "soap",         "turbulent",       "spherical", "multi_color",
    "tiles_regular", "tiles_shift",   "tiles_narrow", "checkered",       "checkered_query", "free1",
    "free2",         "free3"};

/// Normal perturbations; code = position + 1.
inline constexpr std::array<const char*, 8> kBumpNames = {
    "bumps", "dents", "wrinkles", "corrosion", "wave_static", "wave_anim", "floor_pyramids", "floor_tiles"};

/// Pattern orientations: the axis along which x-varying patterns vary; code = position.
inline constexpr std::array<const char*, 4> kOrientationNames = {"x", "y", "z", "across"};

/// Refraction table entries; code = position.
inline constexpr std::array<const char*, 5> kRefractionNames = {"air", "water", "glass", "crystal", "diamond"};

/// Light distance attenuation; code = position.
inline constexpr std::array<const char*, 4> kAttenuationNames = {"none", "low", "medium", "high"};

/// Light kinds; code = position (1 is a spot light).
inline constexpr std::array<const char*, 2> kLightKindNames = {"point", "spot"};

/// Surface flags; bit = 1 << position.
inline constexpr std::array<const char*, 4> kSurfaceFlagNames = {"image", "no_shadow", "metal", "tinted"};

}  // namespace zy::zyscene
