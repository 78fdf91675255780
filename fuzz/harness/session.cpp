#include "harness/session.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "driver/emulator.h"
#include "driver/lifecycle.h"
#include "driver/memoire.h"
#include "driver/stop.h"
#include "driver/xfile.h"
#include "names/file_names.h"

namespace zy::fuzz {

namespace fs = std::filesystem;

namespace {

struct StopRaised {
    int error;
};

[[noreturn]] void raise_stop(int error) { throw StopRaised{error}; }

fs::path private_folder;

// The input that led here is what matters (the fuzzer keeps it); the folder
// would only be left behind.
[[noreturn]] void finding(const std::string& what, const std::string& output) {
    std::fprintf(stderr, "zyfuzz: %s\n--- output ---\n%s--- end ---\n", what.c_str(), output.c_str());
    std::error_code ec;
    if (!private_folder.empty()) fs::remove_all(private_folder, ec);
    std::abort();
}

// A stop leaves the reader's file open (the process would end there); the
// next run must start with every handle free and nothing tracked.
void reset_driver() {
    end_run();
    memoire_fail_after(-1);
    if (!start_run()) finding("no memory for the reader", "");
}

void empty_folder(const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator(folder)) fs::remove_all(entry.path());
}

bool ends_with(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Length of the alert line of error at the end of text (before the end
// line), or 0 when it is not there.
std::size_t alert_length(const std::string& text, int error) {
    const std::string head = std::string("[1][") + _err_str[error - 1] + "|ligne ";
    const std::string tail = "|ZYR_MAIN][Ok]\n";
    if (!ends_with(text, tail)) return 0;
    const std::size_t start = text.rfind(head);
    if (start == std::string::npos || (start > 0 && text[start - 1] != '\n')) return 0;
    const std::size_t digits = start + head.size();
    const std::size_t digits_end = text.size() - tail.size();
    if (digits_end <= digits) return 0;
    for (std::size_t i = digits; i < digits_end; ++i)
        if (text[i] < '0' || text[i] > '9') return 0;
    return text.size() - start;
}

void check_output(const Outcome& o) {
    static const std::string end_line = "It's the END !!!!!! \n";
    if (o.error < 0 || o.error > kErrInternal) finding("stop with error " + std::to_string(o.error), o.output);
    if (!ends_with(o.output, end_line)) finding("output does not end with the end line", o.output);
    if (o.error == 0) return;
    const std::string before_end = o.output.substr(0, o.output.size() - end_line.size());
    const std::size_t alert = alert_length(before_end, o.error);
    if (alert == 0) finding("no alert line for error " + std::to_string(o.error), o.output);
    if (o.error != kErrImage) return;
    // The missing texture's own line comes first; its name may hold any byte.
    const std::string before_alert = before_end.substr(0, before_end.size() - alert);
    const std::size_t texture = before_alert.rfind("[1][  Texture introuvable:|");
    if (texture == std::string::npos || !ends_with(before_alert, "][Ok]\n"))
        finding("no texture line before error 7", o.output);
}

}  // namespace

Session& Session::get() {
    static Session session;
    return session;
}

Session::Session() {
    std::string pattern = (fs::temp_directory_path() / "zyfuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) finding("cannot create a private folder", "");
    root_ = pattern;
    private_folder = root_;
    work_ = root_ / "work";
    fs::create_directory(work_);
    FILE* capture = std::tmpfile();
    if (capture == nullptr) finding("cannot create the output capture", "");
    capture_ = dup(fileno(capture));
    std::fclose(capture);
    saved_stdout_ = dup(STDOUT_FILENO);
}

Session::~Session() {
    close(capture_);
    close(saved_stdout_);
    std::error_code ec;
    fs::remove_all(root_, ec);
}

Outcome Session::run(const std::vector<InputFile>& files, void (*body)()) {
    const fs::path previous = fs::current_path();
    fs::current_path(work_);
    empty_folder(work_);
    for (const InputFile& f : files) {
        std::ofstream out(work_ / f.name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(f.bytes.data()), static_cast<std::streamsize>(f.bytes.size()));
    }
    reset_driver();

    std::fflush(stdout);
    ftruncate(capture_, 0);
    lseek(capture_, 0, SEEK_SET);
    dup2(capture_, STDOUT_FILENO);
    set_final_step(raise_stop);
    Outcome outcome;
    bool stopped = false;
    try {
        body();
    } catch (const StopRaised& s) {
        outcome.error = s.error;
        stopped = true;
    }
    set_final_step(nullptr);
    std::fflush(stdout);
    dup2(saved_stdout_, STDOUT_FILENO);
    const off_t size = lseek(capture_, 0, SEEK_END);
    outcome.output.resize(static_cast<std::size_t>(size));
    if (size > 0 && pread(capture_, outcome.output.data(), outcome.output.size(), 0) != size)
        finding("cannot read the captured output", "");
    fs::current_path(previous);

    if (!stopped) finding("the run returned without the stop routine", outcome.output);
    check_output(outcome);
    if (tracked_block_count() != 0) finding("tracked memory left after the stop", outcome.output);
    for (const auto& entry : fs::directory_iterator(root_))
        if (entry.path() != work_) finding("file outside the working folder: " + entry.path().string(), outcome.output);
    return outcome;
}

std::string working_name(const std::string& name) {
    const std::string file = folder_file(name);
    if (file.empty() || file == "." || file == "..") return "";
    return file;
}

}  // namespace zy::fuzz
