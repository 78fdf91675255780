// From a description file to the contents of the scene files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "writer/scene_writer.h"
#include "zyscene/mesh_import.h"

namespace zy::zyscene {

/// A failed compilation: what() is the one line to show, "FILE:LINE:COL: what"
/// or "FILE: what".
struct CompileError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

/// The compiled scene. Every frame of the frame file is the one frame block.
struct CompiledScene {
    writer::ShadeFile shade;
    writer::SettingsFile settings;
    writer::FrameBlock frame;
    int16_t frame_count = 1;
};

/// Reads and checks the description and the mesh files it names (relative to
/// its folder). progress may be empty.
CompiledScene compile_scene(const std::filesystem::path& description, const ProgressSink& progress = {});

}  // namespace zy::zyscene
