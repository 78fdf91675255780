// Writing the compiled scene into its folder, all or nothing.
#pragma once

#include <cstdint>
#include <filesystem>

#include "zyscene/compiler.h"

namespace zy::zyscene {

/// Writes zy_shade.xpa, <name>.inf, <name>.sys and the texture files into outdir (created when
/// missing; its parent must exist). The files are written into a temporary folder inside
/// outdir (beside it while it is missing) and moved in only when all are complete, so a
/// failure leaves outdir as it was; other files in outdir are left alone. Returns the bytes
/// written; throws std::runtime_error, with the system's reason, on failure.
std::uintmax_t write_scene_files(const CompiledScene& scene, const std::filesystem::path& outdir);

}  // namespace zy::zyscene
