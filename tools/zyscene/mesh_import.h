// Mesh files read with Assimp (OBJ, PLY, STL, glTF and whatever else it reads).
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "zyscene/model_file.h"
#include "zyscene/objects.h"

namespace zy::zyscene {

/// Receives progress lines for large inputs.
using ProgressSink = std::function<void(const std::string&)>;

/// Reads every mesh of the file with the node transforms applied, as one
/// triangle mesh in the scene's left-handed frame, upright, with its
/// materials, cameras and lights. Points at one position are welded into one.
/// Throws InputError at pointer when the file is missing, unreadable or holds
/// no triangles.
ModelFile import_model(const std::filesystem::path& file, const MeshShape& shape, const std::string& pointer,
                       const ProgressSink& progress);

}  // namespace zy::zyscene
