// Where each frame's picture goes, from the -o argument.
#pragma once

#include <filesystem>
#include <string>

namespace zy::front {

class OutputNames {
public:
    /// option: the -o argument ("" for the default), scene: the scene's name,
    /// animation: the scene has more than one frame. Throws UsageError.
    OutputNames(const std::string& option, const std::string& scene, bool animation);

    /// The picture of frame (1-based).
    std::filesystem::path of(int frame) const;

private:
    std::string head_, tail_;  ///< around the frame number
    std::size_t digits_ = 0;   ///< 0: a single name, no number
};

}  // namespace zy::front
