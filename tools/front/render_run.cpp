#include "front/render_run.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "driver/stop.h"
#include "pictures/child_process.h"

namespace zy::front {

namespace {

volatile std::sig_atomic_t stop_requested = 0;
volatile pid_t renderer_pid = -1;

// Ctrl-C reaches the whole foreground group; a signal sent to us alone is
// passed on, and a stopped renderer (Ctrl-Z) is woken to receive it.
void on_stop_signal(int signal) {
    stop_requested = 1;
    if (renderer_pid > 0) {
        kill(renderer_pid, signal);
        kill(renderer_pid, SIGCONT);
    }
}

// Restores the previous handlers when the run ends.
class StopSignals {
public:
    StopSignals() {
        struct sigaction action {};
        action.sa_handler = on_stop_signal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &old_int_);
        sigaction(SIGTERM, &action, &old_term_);
    }
    ~StopSignals() {
        sigaction(SIGINT, &old_int_, nullptr);
        sigaction(SIGTERM, &old_term_, nullptr);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    struct sigaction old_int_ {};
    struct sigaction old_term_ {};
};

// "[1][File read error!|ligne 12|ZYR_MAIN][Ok]" gives 4.
int alert_error(const std::string& line) {
    if (!line.starts_with("[1][")) return 0;
    const std::string text = line.substr(4, line.find('|') - 4);
    for (int i = 0; i < 11; ++i)
        if (text == _err_str[i]) return i + 1;
    return 0;
}

class LineReader {
public:
    LineReader(int picture_rows, const RenderListener& listener, RenderOutcome& outcome)
        : picture_rows_(picture_rows), listener_(listener), outcome_(outcome) {}

    void line(const std::string& text) {
        static const std::string kOpen = "Fopen() : ", kBand = "  ligne : ";
        if (text == "Start Pass 1 please wait") {
            if (listener_.frame_started) listener_.frame_started();
        } else if (text.starts_with(kBand)) {
            // The band of two rows starting at row N - 1 is written after its line.
            const int rows = std::min(std::atoi(text.c_str() + kBand.size()) + 1, picture_rows_);
            if (listener_.rows_written) listener_.rows_written(rows);
        } else if (text.starts_with(kOpen)) {
            last_file_ = text.substr(kOpen.size());
        } else if (const int error = alert_error(text); error > 0) {
            outcome_.error = error;
            outcome_.file = last_file_;
            outcome_.what = _err_str[error - 1];
        } else if (text == "It's the END !!!!!! ") {
            outcome_.done = outcome_.error == 0;
        }
    }

private:
    int picture_rows_;
    const RenderListener& listener_;
    RenderOutcome& outcome_;
    std::string last_file_;
};

}  // namespace

RenderOutcome run_renderer(const std::filesystem::path& folder, std::optional<int> threads, int picture_rows,
                           const RenderListener& listener) {
    RenderOutcome outcome;
    std::vector<std::pair<std::string, std::string>> environment;
    if (threads) environment.emplace_back("OMP_NUM_THREADS", std::to_string(*threads));
    StopSignals signals;
    stop_requested = 0;
    const std::filesystem::path zyray = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "zyray";
    const pictures::Child child = pictures::spawn({zyray.string()}, folder, pictures::PipeTo::ChildStdout, environment);
    renderer_pid = child.pid;
    LineReader reader(picture_rows, listener, outcome);
    std::string pending;
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(child.fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        pending.append(buffer, static_cast<std::size_t>(got));
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1))
            reader.line(pending.substr(0, end));
    }
    close(child.fd);
    const int status = pictures::wait_for(child.pid);
    renderer_pid = -1;
    if (stop_requested || (WIFSIGNALED(status) && WTERMSIG(status) == SIGINT)) {
        outcome.done = false;
        outcome.interrupted = true;
    } else if (!outcome.done && outcome.error == 0) {
        outcome.what = WIFSIGNALED(status) ? std::string("the renderer was killed by signal ") +
                                                 strsignal(WTERMSIG(status))
                                           : "the renderer ended without finishing (status " +
                                                 std::to_string(WEXITSTATUS(status)) + ")";
    }
    return outcome;
}

}  // namespace zy::front
