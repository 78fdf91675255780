#include "front/options.h"

#include <charconv>

namespace zy::front {

const char* const kUsage =
    "usage: zyray SCENE [options]\n"
    "       zyray            (no arguments: the batch renderer, in the working folder)\n"
    "\n"
    "Renders SCENE, a scene description (.json), a model file (glTF, OBJ, FBX ...)\n"
    "or a folder of compiled scene files (zy_shade.xpa ...), into pictures.\n"
    "\n"
    "  -o, --output PATH  the picture, .png (default) or .tif; for an animation a\n"
    "                     name with a run of # for the frame number\n"
    "                     (out/spin_####.png) or a folder.\n"
    "                     Default: NAME.png, or NAME_0001.png ... for an animation\n"
    "  --size WxH         picture size, overriding the description\n"
    "  --aa 0..2          antialiasing level, overriding the description\n"
    "  --depth N          ray depth, overriding the description\n"
    "  --camera NAME      the model file's camera of that name (default: its first,\n"
    "                     or one that frames the model when it has none)\n"
    "  --frames A-B       render only frames A to B (1-based, inclusive)\n"
    "  --frame N          render only frame N\n"
    "  --threads N        threads (default: OMP_NUM_THREADS, else all)\n"
    "  --work DIR         keep the compiled scene, the break file and the TIFFs in\n"
    "                     DIR; the same command again resumes an interrupted render\n"
    "  --video PATH       also write the frames as a video, .mp4 or .gif (needs ffmpeg)\n"
    "  --fps N            frames per second of the video (default 24)\n"
    "  -q, --quiet        print only errors\n"
    "  --help             show this text\n"
    "  --version          show the version\n"
    "\n"
    "Exit status: 0 done, 1 the render failed, 2 bad usage or a bad description,\n"
    "130 interrupted.\n";

namespace {

bool parse_int(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty();
}

int number(const std::string& option, const std::string& text, int lo, int hi) {
    int value = 0;
    if (!parse_int(text, value) || value < lo || value > hi)
        throw UsageError(option + " \"" + text + "\" is not a number from " + std::to_string(lo) + " to " +
                         std::to_string(hi));
    return value;
}

// "A-B" split at the one character sep into two numbers from lo to hi.
std::pair<int, int> pair_of(const std::string& option, const std::string& text, char sep, int lo, int hi,
                            const char* form) {
    const auto at = text.find(sep);
    int a = 0, b = 0;
    if (at == std::string::npos || !parse_int(text.substr(0, at), a) || !parse_int(text.substr(at + 1), b) ||
        a < lo || a > hi || b < lo || b > hi)
        throw UsageError(option + " \"" + text + "\" is not of the form " + form);
    return {a, b};
}

}  // namespace

Options parse_options(const std::vector<std::string>& args) {
    Options o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string option = args[i];
        std::optional<std::string> attached;
        if (option.starts_with("--") && option.find('=') != std::string::npos) {
            attached = option.substr(option.find('=') + 1);
            option.resize(option.find('='));
        }
        const auto value = [&]() -> std::string {
            if (attached) return *attached;
            if (i + 1 >= args.size()) throw UsageError(option + " needs a value");
            return args[++i];
        };
        if (option == "-h" || option == "--help") {
            o.help = true;
        } else if (option == "--version") {
            o.version = true;
        } else if (option == "-q" || option == "--quiet") {
            o.quiet = true;
        } else if (option == "-o" || option == "--output") {
            o.output = value();
        } else if (option == "--size") {
            const auto [w, h] = pair_of(option, value(), 'x', 1, 32766, "WxH, e.g. 640x480");
            o.width = w;
            o.height = h;
        } else if (option == "--aa") {
            o.aa = number(option, value(), 0, 2);
        } else if (option == "--depth") {
            o.depth = number(option, value(), 0, 64);
        } else if (option == "--camera") {
            o.camera = value();
        } else if (option == "--frames") {
            const auto [a, b] = pair_of(option, value(), '-', 1, 32767, "A-B, e.g. 2-5");
            if (a > b) throw UsageError("--frames " + std::to_string(a) + "-" + std::to_string(b) + " is empty");
            o.frames = Frames{a, b};
        } else if (option == "--frame") {
            const int n = number(option, value(), 1, 32767);
            o.frames = Frames{n, n};
        } else if (option == "--threads") {
            o.threads = number(option, value(), 1, 4096);
        } else if (option == "--work") {
            o.work = value();
        } else if (option == "--video") {
            o.video = value();
        } else if (option == "--fps") {
            o.fps = number(option, value(), 1, 1000);
        } else if (option.starts_with("-") && option != "-") {
            throw UsageError("unknown option " + option + " (zyray --help lists them)");
        } else if (o.scene.empty()) {
            o.scene = option;
        } else {
            throw UsageError("one scene at a time: \"" + o.scene + "\" and \"" + option + "\"");
        }
    }
    if (o.scene.empty() && !o.help && !o.version) throw UsageError("no scene given (zyray --help shows the usage)");
    return o;
}

}  // namespace zy::front
