// A model file shown alone: the description the compiler makes for it.
#pragma once

#include <filesystem>

#include "zyscene/description.h"

namespace zy::zyscene {

/// Largest extent, in scene units, of a model shown alone.
inline constexpr double kStandardSize = 4;

/// The description of a model file alone: the model on a checkered floor
/// under the sky, with its materials, its first camera and its lights.
Json model_json(const std::filesystem::path& model);

/// Reads model_json's description (with any changes made to it): the model
/// at the standard size, a camera that frames it when the file has none,
/// and a key and a fill light when the file has no lights; without size_given
/// the picture takes the file camera's aspect.
Description model_description(const Json& root, bool size_given);

}  // namespace zy::zyscene
