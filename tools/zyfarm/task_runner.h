// Rendering tasks on this machine: one zyray run per task folder.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "zyfarm/plan.h"

namespace zy::zyfarm {

/// Renders the listed tasks of the work folder that have not finished, at most
/// jobs at a time, each a zyray run in its task folder with its output appended
/// to zyray.log there. A task resumes from its break file, so running a task
/// again after any interruption completes it; a task that another run is
/// rendering is waited for. Returns one line for each listed task that has
/// still not finished afterwards, saying why.
std::vector<std::string> run_tasks(const fs::path& work, const FarmPlan& plan, const std::vector<std::size_t>& tasks,
                                   int jobs);

/// The zyray beside this zyfarm, else the one found on PATH.
fs::path find_zyray();

/// Name of the log each task's zyray output is appended to.
inline constexpr const char* kTaskLog = "zyray.log";
/// Name of the lock a task's zyray holds while it renders.
inline constexpr const char* kTaskLock = "zyfarm.lock";

}  // namespace zy::zyfarm
