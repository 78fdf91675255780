// From a description file to the contents of the scene files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "writer/scene_writer.h"
#include "zyscene/framing.h"
#include "zyscene/mesh_import.h"

namespace zy::zyscene {

class FrameBaker;

/// A failed compilation: what() is the one line to show, "FILE:LINE:COL: what"
/// or "FILE: what".
struct CompileError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

/// The compiled scene. Its frame blocks are baked when asked for, since a
/// large one would not fit in memory beside the meshes.
struct CompiledScene {
    writer::ShadeFile shade;
    writer::SettingsFile settings;
    /// The texture files, in the order of settings.texture_names.
    std::vector<writer::TextureFile> textures;
    int16_t frame_count = 1;
    /// Every frame checked.
    std::shared_ptr<const FrameBaker> baker;
    /// What the mesh files hold that the renderer approximates or drops, one line each.
    std::vector<std::string> warnings;
    /// Each object's name (its index when it has none) and where the objects lie.
    std::vector<std::string> object_names;
    SceneExtent extent;

    /// False when every frame is the first.
    bool animated() const;
    /// The block of frame k (from 0).
    writer::FrameBlock frame(int k) const;
};

/// Members of the description's "render" section set from outside, as if the
/// description said so; checked by whoever sets them.
struct RenderOverrides {
    std::optional<int> width, height, antialias, max_depth;
    /// The name of the file camera to take, when the camera comes from a file.
    std::optional<std::string> camera;
};

/// True for a scene description (.json); any other file is a model.
bool is_description(const std::filesystem::path& file);

/// Reads and checks the description and the mesh and image files it names
/// (relative to its folder), every frame included; any file but a .json one
/// is a model shown alone. progress may be empty.
CompiledScene compile_scene(const std::filesystem::path& description, const ProgressSink& progress = {},
                            const RenderOverrides& overrides = {});

}  // namespace zy::zyscene
