// zyfarm: renders an animation as many zyray runs, on a Slurm cluster or here.
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "zyfarm/farm_error.h"
#include "zyfarm/gather.h"
#include "zyfarm/slurm.h"
#include "zyfarm/split.h"
#include "zyfarm/task_runner.h"

namespace {

using namespace zy::zyfarm;

const char* const kUsage =
    "usage: zyfarm split SCENE_DIR TASKS WORK_DIR\n"
    "       zyfarm run [-j JOBS] WORK_DIR [TASK...]\n"
    "       zyfarm gather WORK_DIR OUT_DIR\n"
    "       zyfarm local [-j JOBS] SCENE_DIR TASKS WORK_DIR OUT_DIR\n"
    "       zyfarm slurm SCENE_DIR TASKS WORK_DIR OUT_DIR [-- SBATCH_OPTION...]\n"
    "       zyfarm requeue WORK_DIR TASK...\n"
    "\n"
    "Renders the animation in SCENE_DIR (the files zyray reads) as TASKS\n"
    "independent zyray runs, each a contiguous range of frames, and gathers\n"
    "pictures byte for byte equal to one zyray run of the whole scene.\n"
    "\n"
    "  split    prepare WORK_DIR (new or empty): one folder per task, task-000 ...\n"
    "  run      render the tasks of WORK_DIR that have not finished, all or the\n"
    "           numbered ones, JOBS at a time (default: one per core); a task\n"
    "           resumes from its break file, so run again after any interruption\n"
    "  gather   copy every task's pictures into OUT_DIR under their full-run\n"
    "           names; refuses, naming the task, while one has not finished\n"
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

// Arguments after the command, with -j JOBS taken out where the command has it.
struct Arguments {
    std::vector<std::string> words;
    std::vector<std::string> sbatch_options;
    int jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
};

Arguments parse(const std::vector<std::string>& args, bool takes_jobs, bool takes_options) {
    Arguments parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (takes_options && args[i] == "--") {
            parsed.sbatch_options.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
            break;
        }
        if (takes_jobs && args[i] == "-j" && i + 1 < args.size()) {
            parsed.jobs = parse_count(args[++i], "JOBS");
            continue;
        }
        if (args[i].starts_with("-")) usage_error();
        parsed.words.push_back(args[i]);
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

void run_or_fail(const fs::path& work, const FarmPlan& plan, const std::vector<std::size_t>& tasks, int jobs) {
    const std::vector<std::string> unfinished = run_tasks(work, plan, tasks, jobs);
    for (const std::string& line : unfinished) std::cerr << "zyfarm: " << line << "\n";
    std::cout << "zyfarm: " << tasks.size() - unfinished.size() << " of " << tasks.size() << " tasks have finished\n";
    if (!unfinished.empty())
        throw not_done(std::to_string(unfinished.size()) + " of " + std::to_string(tasks.size()) +
                       " tasks did not finish; zyfarm run " + work.string() + " continues them");
}

void gather(const fs::path& work, const fs::path& out) {
    const int pictures = gather_pictures(work, out);
    std::cout << "zyfarm: gathered " << pictures << " picture" << (pictures == 1 ? "" : "s") << " into "
              << out.string() << "\n";
}

int command(const std::string& name, const std::vector<std::string>& args) {
    if (name == "split") {
        const Arguments a = parse(args, false, false);
        if (a.words.size() != 3) usage_error();
        const FarmPlan plan = split_scene(a.words[0], parse_count(a.words[1], "TASKS"), a.words[2]);
        std::cout << "zyfarm: " << plan.frames << " frames in " << plan.tasks.size() << " tasks in " << a.words[2]
                  << "\n";
    } else if (name == "run") {
        const Arguments a = parse(args, true, false);
        if (a.words.empty()) usage_error();
        const FarmPlan plan = read_plan(a.words[0]);
        run_or_fail(a.words[0], plan, task_list(plan, a.words, 1), a.jobs);
    } else if (name == "gather") {
        const Arguments a = parse(args, false, false);
        if (a.words.size() != 2) usage_error();
        gather(a.words[0], a.words[1]);
    } else if (name == "local") {
        const Arguments a = parse(args, true, false);
        if (a.words.size() != 4) usage_error();
        const FarmPlan plan = split_scene(a.words[0], parse_count(a.words[1], "TASKS"), a.words[2]);
        run_or_fail(a.words[2], plan, task_list(plan, {}, 0), a.jobs);
        gather(a.words[2], a.words[3]);
    } else if (name == "slurm") {
        const Arguments a = parse(args, false, true);
        if (a.words.size() != 4) usage_error();
        const FarmPlan plan = split_scene(a.words[0], parse_count(a.words[1], "TASKS"), a.words[2]);
        const SlurmJobs jobs = submit_to_slurm(a.words[2], a.words[3], plan, a.sbatch_options);
        std::cout << "array " << jobs.array << "\ngather " << jobs.gather << "\n";
    } else if (name == "requeue") {
        const Arguments a = parse(args, false, false);
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
