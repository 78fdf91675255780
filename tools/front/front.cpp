#include "front/front.h"

#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <thread>

#include "front/options.h"
#include "front/output_names.h"
#include "front/progress.h"
#include "front/render_run.h"
#include "front/scene_source.h"
#include "front/work_folder.h"
#include "pictures/child_process.h"
#include "pictures/picture_files.h"
#include "pictures/video.h"
#include "zyfarm/farm_error.h"
#include "zyfarm/task_state.h"
#include "zyscene/compiler.h"

namespace zy::front {

namespace {

namespace fs = std::filesystem;

constexpr int kDone = 0, kFailed = 1, kBadUsage = 2, kInterrupted = 130;

struct Failure {
    int status;
    std::string line;
};

// The renderer's error numbers in plain words.
std::string plain_words(int error) {
    switch (error) {
        case 1: return "out of memory";
        case 2: return "cannot be created";
        case 3: return "cannot be opened";
        case 4: return "cannot be read, or ends too early";
        case 5: return "cannot be written (is the disk full?)";
        case 6: return "is not a valid scene file";
        case 7: return "a texture image is missing";
        default: return "the renderer failed";
    }
}

std::string failure_line(const RenderOutcome& r) {
    if (r.error == 0) return r.what;
    const bool names_file = r.error >= 2 && r.error <= 6 && !r.file.empty();
    return (names_file ? fs::path(r.file).filename().string() + ": " : "") + plain_words(r.error) + " (error " +
           std::to_string(r.error) + ")";
}

int thread_count(const Options& o) {
    if (o.threads) return *o.threads;
    if (const char* env = std::getenv("OMP_NUM_THREADS"); env && std::atoi(env) > 0) return std::atoi(env);
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

std::string plural(int n, const char* word) { return std::to_string(n) + " " + word + (n == 1 ? "" : "s"); }

class FrontRun {
public:
    explicit FrontRun(const Options& o) : o_(o), work_(o.work) {}

    int run() {
        const auto start = std::chrono::steady_clock::now();
        const SceneSource scene = scene_source(o_, work_.compiled());
        for (const std::string& w : scene.warnings) note("warning: " + w);
        const int frame_count = scene.folder.frame_count;
        const Frames frames = o_.frames.value_or(Frames{1, frame_count});
        if (frames.last > frame_count)
            throw Failure{kBadUsage, "frame " + std::to_string(frames.last) + " asked for, the scene has " +
                                         plural(frame_count, "frame")};
        const OutputNames outputs(o_.output, fs::path(scene.folder.scene_picture).stem().string(), frame_count > 1);
        bring_up_to_date(scene, frames);

        std::vector<fs::path> pictures;
        for (int f = frames.first; f <= frames.last; ++f) {
            pictures.push_back(work_.render() / writer::run_picture(f - 1, frames.last, scene.folder.scene_picture));
            const fs::path& tiff = pictures.back();
            pictures::write_output_picture(tiff, pictures::read_renderer_picture(tiff), outputs.of(f));
        }
        if (!o_.video.empty()) pictures::write_video(o_.video, o_.fps, pictures);

        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const int count = frames.last - frames.first + 1;
        std::string line = "wrote " + outputs.of(frames.first).string();
        if (count > 1) line += " ... " + outputs.of(frames.last).string();
        if (!o_.video.empty()) line += " and " + o_.video;
        char numbers[128];
        std::snprintf(numbers, sizeof numbers, " (%s, %dx%d, %.1f s, %s)", plural(count, "frame").c_str(), scene.width,
                      scene.height, seconds, plural(thread_count(o_), "thread").c_str());
        note(line + numbers);
        return kDone;
    }

private:
    void note(const std::string& line) const {
        if (!o_.quiet) std::cerr << "zyray: " << line << "\n";
    }

    // Leaves the renderer's pictures of the frames in the work folder: renders
    // them, resumes an interrupted render, or finds them done.
    void bring_up_to_date(const SceneSource& scene, const Frames& frames) {
        const writer::RangeSource source = zyfarm::range_source(scene.folder);
        const std::string print = fingerprint(source, frames.first - 1, frames.last);
        const WorkState state = work_.state(print);
        if (state == WorkState::Complete) {
            note(work_.root().string() + " holds a complete render of this scene; writing the pictures from it");
            return;
        }
        if (state == WorkState::Partial) {
            note("resuming the render in " + work_.root().string());
        } else {
            if (work_.holds_other())
                note(work_.root().string() + " holds a render of another scene or other options; starting over");
            std::error_code ec;
            fs::remove_all(work_.render(), ec);
            fs::create_directories(work_.render());
            writer::write_range_folder(source, work_.render(), frames.first - 1, frames.last);
            work_.record(print, WorkState::Partial);
        }
        render(scene, frames);
        work_.record(print, WorkState::Complete);
    }

    void render(const SceneSource& scene, const Frames& frames) {
        const auto point =
            zyfarm::read_break_point(work_.render() / scene.folder.break_file).value_or(zyfarm::BreakPoint{});
        const ProgressStyle style = o_.quiet                ? ProgressStyle::Quiet
                                    : isatty(STDERR_FILENO) ? ProgressStyle::Terminal
                                                            : ProgressStyle::Lines;
        Progress progress(style, frames.last - frames.first + 1, scene.height, point.frame - (frames.first - 1),
                          point.line);
        const RenderListener listener{[&] { progress.frame_started(); },
                                      [&](int rows) { progress.rows_written(rows); }};
        const RenderOutcome outcome = run_renderer(work_.render(), o_.threads, scene.height, listener);
        if (outcome.done) {
            progress.finish();
            return;
        }
        if (style == ProgressStyle::Terminal) std::cerr << "\n";
        if (outcome.interrupted)
            throw Failure{kInterrupted, work_.kept() ? "interrupted; run the same command again to resume from " +
                                                           work_.root().string()
                                                     : "interrupted"};
        throw Failure{kFailed, failure_line(outcome)};
    }

    const Options& o_;
    WorkFolder work_;
};

}  // namespace

int run_front(int argc, char** argv) {
    try {
        const Options o = parse_options(std::vector<std::string>(argv + 1, argv + argc));
        if (o.help) {
            std::cout << kUsage;
            return kDone;
        }
        if (o.version) {
            std::cout << "zyray " << ZYSCENE_VERSION << "\n";
            return kDone;
        }
        if (!o.video.empty()) {
            if (pictures::video_format(o.video).empty())
                throw UsageError("--video " + o.video + ": the video must end in .mp4 or .gif");
            if (!pictures::on_path("ffmpeg"))
                throw Failure{kBadUsage,
                              "--video needs the ffmpeg program, which is not installed "
                              "(on Debian: apt-get install ffmpeg)"};
        }
        return FrontRun(o).run();
    } catch (const Failure& f) {
        std::cerr << "zyray: " << f.line << "\n";
        return f.status;
    } catch (const UsageError& e) {
        std::cerr << "zyray: " << e.what() << "\n";
        return kBadUsage;
    } catch (const zyscene::CompileError& e) {
        std::cerr << "zyray: " << e.what() << "\n";
        return kBadUsage;
    } catch (const zyfarm::FarmError& e) {
        std::cerr << "zyray: " << e.what() << "\n";
        return kBadUsage;
    } catch (const std::exception& e) {
        std::cerr << "zyray: " << e.what() << "\n";
        return kFailed;
    }
}

}  // namespace zy::front
