#include "zyfarm/gather.h"

#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "pictures/picture_files.h"
#include "pictures/video.h"
#include "zyfarm/farm_error.h"
#include "zyfarm/plan.h"
#include "zyfarm/task_state.h"

namespace zy::zyfarm {

namespace {

// One picture of the full run and the task pictures it is made of: one
// whole picture, or the bands of the frame from the top down.
struct Picture {
    std::string name;
    std::vector<fs::path> sources;
    std::vector<TaskShare> bands;  ///< empty for a whole picture
};

void append_band(std::ofstream& out, const fs::path& source, std::uintmax_t from, std::uintmax_t to) {
    std::ifstream in(source, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(from));
    std::vector<char> bytes(to - from);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!in) throw not_done(source.string() + ": ends before the band's last row");
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Writes the picture to path: the whole picture copied, or the band rows
// cut from each band's picture after the header of the first.
void assemble(const FarmPlan& plan, const Picture& picture, const fs::path& path) {
    std::error_code ec;
    if (picture.bands.empty()) {
        fs::copy_file(picture.sources[0], path, fs::copy_options::overwrite_existing, ec);
    } else {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        for (std::size_t b = 0; b < picture.bands.size(); ++b)
            append_band(out, picture.sources[b], b == 0 ? 0 : picture_offset(plan, picture.bands[b].first_line),
                        picture_offset(plan, picture.bands[b].end_line));
        out.flush();
        if (!out) ec = std::make_error_code(std::errc::io_error);
    }
    if (ec) throw not_done(path.string() + ": cannot be written: " + ec.message());
}

// The pictures of the full run, each with its sources, once every task has finished.
std::vector<Picture> finished_pictures(const fs::path& work, const FarmPlan& plan) {
    std::vector<Picture> pictures;
    for (std::size_t i = 0; i < plan.tasks.size(); ++i) {
        const std::string reason = unfinished_reason(work, plan, i);
        if (!reason.empty()) throw not_done(plan.describe(i) + " " + reason);
        const TaskShare& share = plan.tasks[i];
        for (int frame = share.first; frame < share.end; ++frame) {
            const fs::path source = work / plan.task_folder(i) / plan.task_picture(i, frame);
            std::error_code ec;
            if (!fs::is_regular_file(source, ec))
                throw not_done(plan.describe(i) + ": picture " + source.filename().string() + " is missing");
            if (!share.is_band() || share.first_line == 0) pictures.push_back({plan.full_run_picture(frame), {}, {}});
            pictures.back().sources.push_back(source);
            if (share.is_band()) pictures.back().bands.push_back(share);
        }
    }
    return pictures;
}

}  // namespace

int gather_pictures(const fs::path& work, const fs::path& out, const GatherOptions& options) {
    const FarmPlan plan = read_plan(work);
    const std::vector<Picture> frames = finished_pictures(work, plan);
    std::error_code ec;
    fs::create_directories(out, ec);
    if (ec) throw bad_input(out.string() + ": cannot be created: " + ec.message());

    // Every picture is assembled beside its name first, so that a gather that
    // is stopped never leaves a cut picture that looks finished.
    std::vector<fs::path> parts;
    for (const Picture& picture : frames) {
        parts.push_back(out / ("." + picture.name + ".part"));
        assemble(plan, picture, parts.back());
    }
    try {
        if (!options.video.empty()) pictures::write_video(options.video, options.fps, parts);
        for (std::size_t i = 0; i < frames.size(); ++i) {
            if (options.png) {
                const fs::path png = out / fs::path(frames[i].name).replace_extension(".png");
                pictures::write_output_picture(parts[i], pictures::read_renderer_picture(parts[i]), png);
                fs::remove(parts[i]);
            } else {
                fs::rename(parts[i], out / frames[i].name);
            }
        }
    } catch (const std::runtime_error& e) {
        throw not_done(e.what());
    }
    return static_cast<int>(frames.size());
}

}  // namespace zy::zyfarm
