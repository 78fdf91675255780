// Rendering a farm as a Slurm job array, and putting killed tasks back.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "zyfarm/plan.h"

namespace zy::zyfarm {

/// The jobs of a submitted farm, as recorded in the work folder.
struct SlurmJobs {
    std::string array;                 ///< job id of the task array
    std::string gather;                ///< job id of the gather job
    std::vector<std::string> options;  ///< extra sbatch options given at submission
};

/// Writes the two job scripts into work, submits the task array (one requeueable
/// task per plan task, each running `zyfarm run` on its folder) and the gather
/// job that waits for all of them (afterok), and records the ids in work.
/// options go to both sbatch calls as they are. Throws a not-done FarmError
/// with sbatch's answer when a submission is refused.
SlurmJobs submit_to_slurm(const fs::path& work, const fs::path& out, const FarmPlan& plan,
                          const std::vector<std::string>& options);

/// Puts tasks of a submitted farm back into the queue, to start again at once
/// (a killed or cancelled task resumes from its break file), and makes the
/// gather job wait for every task again: Slurm counts a cancelled task as
/// failed, which would keep the gather job waiting for ever. Returns what was
/// done, one line per job.
std::vector<std::string> requeue_tasks(const fs::path& work, const FarmPlan& plan,
                                       const std::vector<std::size_t>& tasks);

/// Slurm's state of each task of the farm submitted from work, by task index,
/// in lower case ("pending", "running", "requeued", "completed" ...): from
/// squeue, and for the tasks squeue no longer shows from sacct where
/// accounting is on. Empty when the farm was not submitted to Slurm. Reads only.
std::map<std::size_t, std::string> task_states(const fs::path& work);

/// Name of the record of the submitted jobs inside the work folder.
inline constexpr const char* kJobsFile = "slurm.jobs";

}  // namespace zy::zyfarm
