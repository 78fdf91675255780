#include "zyfarm/slurm.h"

#include <cctype>
#include <fstream>
#include <stdexcept>
#include <sstream>

#include "zyfarm/farm_error.h"
#include "zyfarm/process.h"

namespace zy::zyfarm {

namespace {

// A word for the shell, whatever characters the path holds.
std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

void write_script(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::trunc);
    out << text;
    out.flush();
    if (!out) throw not_done(path.string() + ": cannot be written");
    fs::permissions(path, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                    fs::perm_options::add);
}

std::string task_script(const fs::path& work, const fs::path& zyfarm, std::size_t tasks) {
    return "#!/bin/sh\n"
           "# One task of a zyfarm job array: zyray renders the task's frames in its\n"
           "# folder and resumes from the task's break file, so a requeued task goes\n"
           "# on where it stopped. The exit status says whether the task finished.\n"
           "#SBATCH --job-name=zyfarm\n"
           "#SBATCH --array=0-" + std::to_string(tasks - 1) + "\n"
           "#SBATCH --requeue\n"
           "# zyray's threads: the CPUs Slurm gave the task.\n"
           ": \"${OMP_NUM_THREADS:=${SLURM_CPUS_PER_TASK:-${SLURM_CPUS_ON_NODE:-1}}}\"\n"
           "export OMP_NUM_THREADS\n"
           "exec " + quoted(zyfarm.string()) + " run " + quoted(work.string()) + " \"$SLURM_ARRAY_TASK_ID\"\n";
}

std::string gather_script(const fs::path& work, const fs::path& out, const fs::path& zyfarm) {
    return "#!/bin/sh\n"
           "# Gathers the pictures of a zyfarm job array once every task has finished.\n"
           "#SBATCH --job-name=zyfarm-gather\n"
           "exec " + quoted(zyfarm.string()) + " gather " + quoted(work.string()) + " " + quoted(out.string()) + "\n";
}

// Runs sbatch --parsable and returns the job id it prints.
std::string sbatch(const std::vector<std::string>& arguments, const std::vector<std::string>& options,
                   const fs::path& script) {
    std::vector<std::string> command{"sbatch", "--parsable"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    command.insert(command.end(), options.begin(), options.end());
    command.push_back(script.string());
    const Captured result = run_captured(command);
    // The id is the line of digits ("17", or "17;cluster"); warnings may come first.
    std::string id;
    std::istringstream lines(result.output);
    for (std::string line; std::getline(lines, line);) {
        line = line.substr(0, line.find(';'));
        if (!line.empty() && line.find_first_not_of("0123456789") == std::string::npos) id = line;
    }
    if (result.ending.status != 0 || id.empty()) {
        std::string answer = result.output;
        while (!answer.empty() && answer.back() == '\n') answer.pop_back();
        if (result.ending.status == 127 && answer.empty()) answer = "sbatch cannot be run (is Slurm installed?)";
        throw not_done("sbatch refused " + script.filename().string() + ": " + answer);
    }
    return id;
}

// "afterok:17_0:17_1:...": each task on its own, since the array as a whole
// stays failed once any of its tasks was cancelled, even after a requeue.
std::string every_task_ok(const SlurmJobs& jobs, std::size_t tasks) {
    std::string dependency = "afterok";
    for (std::size_t i = 0; i < tasks; ++i) dependency += ":" + jobs.array + "_" + std::to_string(i);
    return dependency;
}

void write_jobs(const fs::path& work, const SlurmJobs& jobs) {
    std::ofstream out(work / kJobsFile, std::ios::trunc);
    out << "array " << jobs.array << "\n" << "gather " << jobs.gather << "\n";
    for (const auto& option : jobs.options) out << "option " << option << "\n";
    out.flush();
    if (!out) throw not_done((work / kJobsFile).string() + ": cannot be written");
}

SlurmJobs read_jobs(const fs::path& work) {
    std::ifstream in(work / kJobsFile);
    if (!in) throw bad_input((work / kJobsFile).string() + ": cannot be read (was this farm submitted with zyfarm slurm?)");
    SlurmJobs jobs;
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("array ")) jobs.array = line.substr(6);
        else if (line.starts_with("gather ")) jobs.gather = line.substr(7);
        else if (line.starts_with("option ")) jobs.options.push_back(line.substr(7));
    }
    if (jobs.array.empty() || jobs.gather.empty())
        throw bad_input((work / kJobsFile).string() + ": does not name the array and the gather job");
    return jobs;
}

void scontrol(const std::vector<std::string>& arguments) {
    std::vector<std::string> command{"scontrol"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const Captured result = run_captured(command);
    if (result.ending.status != 0) {
        std::string answer = result.output;
        while (!answer.empty() && answer.back() == '\n') answer.pop_back();
        throw not_done("scontrol " + arguments[0] + " " + arguments[1] + " failed: " + answer);
    }
}

// Adds to states the "ARRAY_TASK STATE" lines of output (squeue's "%i %T",
// sacct's "JobID|State") of the array's tasks that states does not hold yet.
void add_states(const std::string& output, const std::string& array, char separator,
                std::map<std::size_t, std::string>& states) {
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        const auto cut = line.find(separator);
        const std::string id = line.substr(0, cut);
        if (cut == std::string::npos || !id.starts_with(array + "_")) continue;
        std::string state = line.substr(cut + 1);
        state = state.substr(0, state.find(' '));  // sacct: "CANCELLED by 0"
        for (char& c : state) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        try {
            states.try_emplace(std::stoul(id.substr(array.size() + 1)), state);
        } catch (const std::logic_error&) {
            // A pending range such as 17_[2-4] when squeue did not expand it.
        }
    }
}

bool accounting_on() {
    const std::string config = run_captured({"scontrol", "show", "config"}).output;
    const auto at = config.find("AccountingStorageType");
    return at != std::string::npos && config.substr(at, config.find('\n', at) - at).find("none") == std::string::npos;
}

}  // namespace

std::map<std::size_t, std::string> task_states(const fs::path& work) {
    std::map<std::size_t, std::string> states;
    std::error_code ec;
    if (!fs::exists(work / kJobsFile, ec)) return states;
    const SlurmJobs jobs = read_jobs(work);
    add_states(run_captured({"squeue", "-h", "-r", "-t", "all", "-j", jobs.array, "-o", "%i %T"}).output, jobs.array,
               ' ', states);
    if (accounting_on())
        add_states(run_captured({"sacct", "-n", "-X", "-P", "-j", jobs.array, "-o", "JobID,State"}).output,
                   jobs.array, '|', states);
    return states;
}

SlurmJobs submit_to_slurm(const fs::path& work_dir, const fs::path& out_dir, const FarmPlan& plan,
                          const std::vector<std::string>& options) {
    // The jobs run in other folders, maybe on other machines: absolute paths.
    const fs::path work = fs::absolute(work_dir), out = fs::absolute(out_dir);
    const fs::path zyfarm = own_executable();
    const fs::path logs = work / "logs";
    fs::create_directories(logs);
    write_script(work / "slurm-tasks.sh", task_script(work, zyfarm, plan.tasks.size()));
    write_script(work / "slurm-gather.sh", gather_script(work, out, zyfarm));

    SlurmJobs jobs;
    jobs.options = options;
    jobs.array = sbatch({"--output=" + (logs / "task-%a.out").string()}, options, work / "slurm-tasks.sh");
    try {
        jobs.gather = sbatch({"--dependency=afterok:" + jobs.array, "--output=" + (logs / "gather.out").string()},
                             options, work / "slurm-gather.sh");
    } catch (const FarmError& e) {
        throw not_done(std::string(e.what()) + " (the task array " + jobs.array +
                       " was submitted: run zyfarm gather when it is done)");
    }
    write_jobs(work, jobs);
    return jobs;
}

std::vector<std::string> requeue_tasks(const fs::path& work, const FarmPlan& plan,
                                       const std::vector<std::size_t>& tasks) {
    SlurmJobs jobs = read_jobs(work);
    std::vector<std::string> done;
    for (std::size_t i : tasks) {
        const std::string job = jobs.array + "_" + std::to_string(i);
        scontrol({"requeue", job});
        // Slurm holds a requeued job for two minutes. A few seconds are enough:
        // the node refuses only a start within the second of the kill.
        scontrol({"update", "JobId=" + job, "StartTime=now+2"});
        done.push_back("requeued " + plan.describe(i) + " as job " + job);
    }
    const std::string dependency = every_task_ok(jobs, plan.tasks.size());
    try {
        scontrol({"update", "JobId=" + jobs.gather, "Dependency=" + dependency});
        done.push_back("gather job " + jobs.gather + " waits for every task again");
    } catch (const FarmError&) {
        // The gather job is gone or has run: a new one waits for the tasks.
        const fs::path logs = fs::absolute(work) / "logs";
        jobs.gather = sbatch({"--dependency=" + dependency, "--output=" + (logs / "gather.out").string()},
                             jobs.options, fs::absolute(work) / "slurm-gather.sh");
        write_jobs(work, jobs);
        done.push_back("submitted gather job " + jobs.gather + ", which waits for every task");
    }
    return done;
}

}  // namespace zy::zyfarm
