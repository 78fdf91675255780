// What a description takes from its mesh files: the meshes, the surfaces
// made from their materials, their cameras and lights, and the places the
// compiler works out from the meshes (standard size, fitted camera).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "zyscene/description.h"
#include "zyscene/framing.h"
#include "zyscene/mesh.h"
#include "zyscene/mesh_import.h"

namespace zy::zyscene {

struct SceneFiles {
    std::vector<Mesh> meshes;  ///< one per object, in object space
    /// Lines to show on standard error: what the files hold that the renderer
    /// approximates or drops, and what the camera would miss.
    std::vector<std::string> warnings;
    /// Where the objects lie over the frames.
    SceneExtent extent;
};

/// Reads the mesh files of the description (relative to folder) and settles
/// everything in it that depends on them. Throws InputError.
SceneFiles read_scene_files(Description& d, const std::filesystem::path& folder, const ProgressSink& progress);

}  // namespace zy::zyscene
