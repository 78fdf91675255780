#include "pictures/video.h"

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <stdexcept>

#include "pictures/child_process.h"
#include "pictures/picture_files.h"

namespace zy::pictures {

namespace fs = std::filesystem;

namespace {

bool write_whole(int fd, const std::vector<uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::string video_format(const fs::path& path) {
    const std::string ext = lower_extension(path);
    return ext == ".mp4" ? "mp4" : ext == ".gif" ? "gif" : "";
}

void write_video(const fs::path& path, int fps, const std::vector<fs::path>& pictures) {
    const RgbPicture first = read_renderer_picture(pictures.at(0));
    const std::string format = video_format(path);
    const fs::path part = path.string() + ".part";
    std::error_code ec;
    if (path.has_parent_path()) fs::create_directories(path.parent_path(), ec);
    const std::string size = std::to_string(first.width) + "x" + std::to_string(first.height);
    std::vector<std::string> argv = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y", "-f", "rawvideo",
                                     "-pix_fmt", "rgb24", "-s", size, "-framerate", std::to_string(fps), "-i", "-"};
    if (format == "mp4")
        argv.insert(argv.end(), {"-vf", "pad=ceil(iw/2)*2:ceil(ih/2)*2", "-c:v", "libx264", "-pix_fmt", "yuv420p",
                                 "-movflags", "+faststart", "-f", "mp4"});
    else
        argv.insert(argv.end(), {"-filter_complex", "split[a][b];[a]palettegen[p];[b][p]paletteuse", "-f", "gif"});
    argv.push_back(fs::absolute(part).string());
    // A closed pipe is reported by write, not by a signal.
    const auto old_pipe = std::signal(SIGPIPE, SIG_IGN);
    const Child ffmpeg = spawn(argv, fs::current_path(), PipeTo::ChildStdin);
    bool fed = write_whole(ffmpeg.fd, first.rgb);
    for (std::size_t i = 1; fed && i < pictures.size(); ++i)
        fed = write_whole(ffmpeg.fd, read_renderer_picture(pictures[i]).rgb);
    close(ffmpeg.fd);
    const int status = wait_for(ffmpeg.pid);
    std::signal(SIGPIPE, old_pipe);
    if (!fed || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        fs::remove(part, ec);
        throw std::runtime_error(path.string() + ": ffmpeg could not write the video");
    }
    fs::rename(part, path, ec);
    if (ec) throw std::runtime_error(path.string() + ": cannot be written");
}

}  // namespace zy::pictures
