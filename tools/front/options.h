// The command line of zyray with arguments.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zy::front {

/// A bad command line: what() is the line to show.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

/// Frames first .. last, 1-based and inclusive as the picture names count.
struct Frames {
    int first = 1;
    int last = 1;
};

struct Options {
    std::string scene;   ///< description (.json) or folder of compiled scene files
    std::string output;  ///< "" for the default name
    std::optional<int> width, height, aa, depth, threads;
    std::optional<Frames> frames;
    std::optional<std::string> camera;  ///< a model file's camera by name
    std::string work;                   ///< "" for a temporary folder
    std::string video;  ///< "" for none
    int fps = 24;
    bool quiet = false;
    bool help = false;
    bool version = false;
};

/// Reads the arguments after the program name. Throws UsageError.
Options parse_options(const std::vector<std::string>& args);

/// The text --help prints.
extern const char* const kUsage;

}  // namespace zy::front
