// Where a farm stands: each task's share done, the job's percent and times.
#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "zyfarm/plan.h"

namespace zy::zyfarm {

/// What zyfarm status prints, read from the work folder only: the plan, the
/// break files and their times (the plan's time is when the job was split).
struct FarmStatus {
    std::vector<std::string> lines;  ///< one per task, then one for the job
    bool finished = false;           ///< every task has finished
};

/// The status of the work folder at now; states holds the scheduler's state
/// of the tasks it knows (see task_states), shown after their lines.
FarmStatus farm_status(const fs::path& work, const FarmPlan& plan, const std::map<std::size_t, std::string>& states,
                       std::filesystem::file_time_type now);

/// "1:05:09" or "5:09": seconds as people read a duration.
std::string clock_text(long long seconds);

}  // namespace zy::zyfarm
