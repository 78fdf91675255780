#include "zyfarm/gather.h"

#include <vector>

#include "zyfarm/farm_error.h"
#include "zyfarm/plan.h"
#include "zyfarm/task_state.h"

namespace zy::zyfarm {

namespace {

struct PictureCopy {
    fs::path from;
    std::string to;
};

// A picture appears under its name only once it is complete, so a gather that
// is stopped never leaves a cut picture that looks finished.
void copy_picture(const PictureCopy& copy, const fs::path& out) {
    const fs::path part = out / ("." + copy.to + ".part");
    std::error_code ec;
    fs::copy_file(copy.from, part, fs::copy_options::overwrite_existing, ec);
    if (!ec) fs::rename(part, out / copy.to, ec);
    if (ec) throw not_done((out / copy.to).string() + ": cannot be written: " + ec.message());
}

}  // namespace

int gather_pictures(const fs::path& work, const fs::path& out) {
    const FarmPlan plan = read_plan(work);
    std::vector<PictureCopy> copies;
    for (std::size_t i = 0; i < plan.tasks.size(); ++i) {
        const std::string reason = unfinished_reason(work, plan, i);
        if (!reason.empty()) throw not_done(plan.describe(i) + " " + reason);
        const fs::path folder = work / plan.task_folder(i);
        for (int frame = plan.tasks[i].first; frame < plan.tasks[i].end; ++frame) {
            const fs::path picture = folder / plan.task_picture(i, frame);
            std::error_code ec;
            if (!fs::is_regular_file(picture, ec))
                throw not_done(plan.describe(i) + ": picture " + picture.filename().string() + " is missing");
            copies.push_back({picture, plan.full_run_picture(frame)});
        }
    }
    std::error_code ec;
    fs::create_directories(out, ec);
    if (ec) throw bad_input(out.string() + ": cannot be created: " + ec.message());
    for (const PictureCopy& copy : copies) copy_picture(copy, out);
    return static_cast<int>(copies.size());
}

}  // namespace zy::zyfarm
