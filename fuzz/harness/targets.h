// The fuzz targets: the settings file, the frame file, a texture file and a
// whole run of a tiny scene, each an in-process run on one input.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "harness/session.h"

namespace zy::fuzz {

/// Runs one input; nothing when the harness's caps refuse it.
using Target = std::optional<Outcome> (*)(const uint8_t* data, std::size_t size);

struct TargetEntry {
    std::string_view name;
    Target run;
};

/// settings: a settings file, loaded at start-up behind a fixed shade file.
/// frame: packed scene files (see scene_files.h), loaded and prepared for
///   up to two frames, nothing rendered.
/// texture: a texture file behind fixed settings, loaded and looked up all
///   over and beyond the image in every mapping mode.
/// scene: packed scene files rendered by the whole program, within caps on
///   picture size, frames, depth and counts that keep every run short.
extern const std::array<TargetEntry, 4> kTargets;

/// The entry of a target name, or null.
const TargetEntry* find_target(std::string_view name);

}  // namespace zy::fuzz
