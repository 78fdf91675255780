// Shared by the loader tests: a scene written into a fresh in-process working
// folder, changed there, and loaded.
#pragma once

#include <functional>
#include <string>

#include "support/test_support.h"

namespace zy::test {

/// A change to the folder the scene files were written into.
using Edit = std::function<void(const fs::path& folder)>;

/// An edit that writes bytes into the named file.
inline Edit write(const std::string& name, const writer::Bytes& bytes) {
    return [=](const fs::path& folder) { writer::write_file(folder / name, bytes); };
}

/// Writes the scene, lets edit change the folder, runs loaders with their
/// console lines swallowed and then check when they returned. Returns the
/// stop's error number, or -1.
inline int load_scene(const writer::Scene& scene, const std::function<void()>& loaders, const Edit& edit = nullptr,
                      const std::function<void()>& check = nullptr) {
    InProcess run;
    writer::write_scene(run.folder(), scene);
    if (edit) edit(run.folder());
    const int error = quiet_stop_error(loaders);
    if (error == -1 && check) check();
    return error;
}

}  // namespace zy::test
