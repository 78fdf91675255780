// zyfarm: renders an animation or a still as many zyray runs, on a Slurm
// cluster or here.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "pictures/video.h"
#include "zyfarm/farm_error.h"
#include "zyfarm/gather.h"
#include "zyfarm/slurm.h"
#include "zyfarm/split.h"
#include "zyfarm/status.h"
#include "zyfarm/task_runner.h"

namespace {

using namespace zy::zyfarm;

const char* const kUsage =
    "usage: zyfarm split SCENE_DIR TASKS WORK_DIR\n"
    "       zyfarm run [-j JOBS] WORK_DIR [TASK...]\n"
    "       zyfarm status [--watch] WORK_DIR\n"
    "       zyfarm gather [--png] [--video PATH] [--fps N] WORK_DIR OUT_DIR\n"
    "       zyfarm local [-j JOBS] SCENE_DIR TASKS WORK_DIR OUT_DIR\n"
    "       zyfarm slurm SCENE_DIR TASKS WORK_DIR OUT_DIR [-- SBATCH_OPTION...]\n"
    "       zyfarm requeue WORK_DIR TASK...\n"
    "\n"
    "Renders the scene in SCENE_DIR (the files zyray reads) as TASKS\n"
    "independent zyray runs and gathers pictures byte for byte equal to one\n"
    "zyray run of the whole scene. Each task renders a contiguous range of\n"
    "frames while the scene has at least TASKS frames; otherwise each frame is\n"
    "cut into bands of rows, one task each. Frames and rows count from 1.\n"
    "\n"
    "  split    prepare WORK_DIR (new or empty): one folder per task, task-000 ...\n"
    "  run      render the tasks of WORK_DIR that have not finished, all or the\n"
    "           numbered ones, JOBS at a time (default: one per core); a task\n"
    "           resumes from its break file, so run again after any interruption\n"
    "  status   each task's frames or rows done, the job's percent, elapsed time\n"
    "           and time left, and on Slurm each task's state; --watch redraws\n"
    "           every few seconds until the job ends. Reads only\n"
    "  gather   write every frame's picture into OUT_DIR under its full-run\n"
    "           name, the bands of a frame stitched together; refuses, naming the\n"
    "           task, while one has not finished. --png writes PNG pictures\n"
    "           instead of TIFF, --video the frames also as an .mp4 or .gif\n"
    "           (ffmpeg; --fps, default 24)\n"
    "  local    split, run and gather on this machine\n"
    "  slurm    split, then submit a job array of TASKS requeueable tasks and a\n"
    "           gather job that waits for them (afterok); prints the job ids as\n"
    "           \"array ID\" and \"gather ID\". Options after -- go to sbatch\n"
    "  requeue  put killed or cancelled tasks of a submitted farm back into the\n"
    "           queue and make the gather job wait for them again\n"
    "\n"
    "Exit status: 0 when done, 1 when a task did not finish or Slurm refused a\n"
    "job, 2 on bad input (one line on standard error says what is wrong).\n";

[[noreturn]] void usage_error() {
    std::cerr << kUsage;
    std::exit(kBadInput);
}

// Arguments after the command, with the options the command has taken out.
struct Arguments {
    std::vector<std::string> words;
    std::vector<std::string> sbatch_options;
    int jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    GatherOptions gather;
    bool watch = false;
};

// The options each command takes.
enum Takes : unsigned { kJobs = 1, kSbatch = 2, kGatherOptions = 4, kWatch = 8 };

Arguments parse(const std::vector<std::string>& args, unsigned takes) {
    Arguments parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const bool has_value = i + 1 < args.size();
        if ((takes & kSbatch) && args[i] == "--") {
            parsed.sbatch_options.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
            break;
        }
        if ((takes & kJobs) && args[i] == "-j" && has_value) {
            parsed.jobs = parse_count(args[++i], "JOBS");
        } else if ((takes & kGatherOptions) && args[i] == "--png") {
            parsed.gather.png = true;
        } else if ((takes & kGatherOptions) && args[i] == "--video" && has_value) {
            parsed.gather.video = args[++i];
            if (zy::pictures::video_format(parsed.gather.video).empty())
                throw bad_input("--video " + args[i] + ": the name must end in .mp4 or .gif");
        } else if ((takes & kGatherOptions) && args[i] == "--fps" && has_value) {
            parsed.gather.fps = parse_count(args[++i], "--fps");
        } else if ((takes & kWatch) && args[i] == "--watch") {
            parsed.watch = true;
        } else if (args[i].starts_with("-")) {
            usage_error();
        } else {
            parsed.words.push_back(args[i]);
        }
    }
    return parsed;
}


// The numbered tasks, each once, or all tasks when none is numbered.
std::vector<std::size_t> task_list(const FarmPlan& plan, const std::vector<std::string>& words, std::size_t from) {
    std::vector<std::size_t> tasks;
    for (std::size_t i = from; i < words.size(); ++i) {
        const std::size_t task = parse_task(plan, words[i]);
        if (std::find(tasks.begin(), tasks.end(), task) == tasks.end()) tasks.push_back(task);
    }
    if (words.size() <= from)
        for (std::size_t i = 0; i < plan.tasks.size(); ++i) tasks.push_back(i);
    return tasks;
}

FarmPlan split(const Arguments& a) {
    std::vector<std::string> notes;
    const FarmPlan plan = split_scene(a.words[0], parse_count(a.words[1], "TASKS"), a.words[2], notes);
    for (const std::string& note : notes) std::cerr << "zyfarm: " << note << "\n";
    return plan;
}

void run_or_fail(const fs::path& work, const FarmPlan& plan, const std::vector<std::size_t>& tasks, int jobs) {
    const std::vector<std::string> unfinished = run_tasks(work, plan, tasks, jobs);
    for (const std::string& line : unfinished) std::cerr << "zyfarm: " << line << "\n";
    std::cout << "zyfarm: " << tasks.size() - unfinished.size() << " of " << tasks.size() << " tasks have finished\n";
    if (!unfinished.empty())
        throw not_done(std::to_string(unfinished.size()) + " of " + std::to_string(tasks.size()) +
                       " tasks did not finish; zyfarm run " + work.string() + " continues them");
}

void gather(const fs::path& work, const fs::path& out, const GatherOptions& options) {
    const int pictures = gather_pictures(work, out, options);
    std::cout << "zyfarm: gathered " << pictures << " picture" << (pictures == 1 ? "" : "s") << " into "
              << out.string() << "\n";
}

// Prints the status once, or with watch again every few seconds until the
// job ends (redrawn in place on a terminal). Never writes into the work folder.
void status(const fs::path& work, bool watch) {
    const FarmPlan plan = read_plan(work);
    const bool terminal = isatty(STDOUT_FILENO) != 0;
    std::size_t drawn = 0;
    for (;;) {
        const std::map<std::size_t, std::string> states = task_states(work);
        const FarmStatus now = farm_status(work, plan, states, fs::file_time_type::clock::now());
        if (drawn > 0 && terminal) std::cout << "\x1b[" << drawn << "A\x1b[J";
        else if (drawn > 0) std::cout << "\n";
        for (const std::string& line : now.lines) std::cout << line << "\n";
        std::cout.flush();
        drawn = now.lines.size();
        // On Slurm the job has also ended when no task is queued any more.
        const bool queued = std::any_of(states.begin(), states.end(), [](const auto& s) {
            return s.second == "pending" || s.second == "running" || s.second == "requeued" ||
                   s.second == "configuring" || s.second == "completing";
        });
        if (!watch || now.finished || (!states.empty() && !queued)) return;
        std::this_thread::sleep_for(std::chrono::seconds(3));
    }
}

int command(const std::string& name, const std::vector<std::string>& args) {
    if (name == "split") {
        const Arguments a = parse(args, 0);
        if (a.words.size() != 3) usage_error();
        const FarmPlan plan = split(a);
        std::cout << "zyfarm: " << plan.frames << " frames in " << plan.tasks.size() << " tasks in " << a.words[2]
                  << "\n";
    } else if (name == "run") {
        const Arguments a = parse(args, kJobs);
        if (a.words.empty()) usage_error();
        const FarmPlan plan = read_plan(a.words[0]);
        run_or_fail(a.words[0], plan, task_list(plan, a.words, 1), a.jobs);
    } else if (name == "status") {
        const Arguments a = parse(args, kWatch);
        if (a.words.size() != 1) usage_error();
        status(a.words[0], a.watch);
    } else if (name == "gather") {
        const Arguments a = parse(args, kGatherOptions);
        if (a.words.size() != 2) usage_error();
        gather(a.words[0], a.words[1], a.gather);
    } else if (name == "local") {
        const Arguments a = parse(args, kJobs);
        if (a.words.size() != 4) usage_error();
        const FarmPlan plan = split(a);
        run_or_fail(a.words[2], plan, task_list(plan, {}, 0), a.jobs);
        gather(a.words[2], a.words[3], {});
    } else if (name == "slurm") {
        const Arguments a = parse(args, kSbatch);
        if (a.words.size() != 4) usage_error();
        const FarmPlan plan = split(a);
        const SlurmJobs jobs = submit_to_slurm(a.words[2], a.words[3], plan, a.sbatch_options);
        std::cout << "array " << jobs.array << "\ngather " << jobs.gather << "\n";
    } else if (name == "requeue") {
        const Arguments a = parse(args, 0);
        if (a.words.size() < 2) usage_error();
        const FarmPlan plan = read_plan(a.words[0]);
        for (const std::string& line : requeue_tasks(a.words[0], plan, task_list(plan, a.words, 1)))
            std::cout << "zyfarm: " << line << "\n";
    } else {
        usage_error();
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // a task log keeps its lines through a kill
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) usage_error();
    if (args[0] == "--help" || args[0] == "-h") {
        std::cout << kUsage;
        return 0;
    }
    try {
        return command(args[0], {args.begin() + 1, args.end()});
    } catch (const FarmError& e) {
        std::cerr << "zyfarm: " << e.what() << "\n";
        return e.status;
    } catch (const std::exception& e) {
        std::cerr << "zyfarm: " << e.what() << "\n";
        return kNotDone;
    }
}
