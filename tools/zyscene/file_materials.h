// The materials of a model file turned into surfaces, by the table in
// docs/scene-format.md.
#pragma once

#include <cstdint>
#include <string>

#include "scene/records.h"

struct aiMaterial;

namespace zy::zyscene {

/// One material of a model file as a surface of its own.
struct FileMaterial {
    std::string name;  ///< the file's name for it, "" when it has none
    RT_SRF surface;
    /// For one colour of a texture's or vertex colours' palette: the material
    /// it was baked from, and its number in that material's palette.
    int32_t baked_from = -1;
    int palette_entry = 0;
};

/// The surface that shows the material as the file means it: colour,
/// highlights, metal, transparency, refraction and glow.
FileMaterial convert_material(const aiMaterial& material);

}  // namespace zy::zyscene
