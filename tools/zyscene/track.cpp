#include "zyscene/track.h"

#include <cctype>

#include "zyscene/input_error.h"

namespace zy::zyscene {

int key_frame(const std::string& name, const Node& value, int frames) {
    const std::string range =
        "a keyframe is named by its frame number, from 1 to " + std::to_string(frames) + " (render/frames)";
    const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    const bool digits = !name.empty() && name.size() <= 9 && std::all_of(name.begin(), name.end(), digit);
    if (!digits) throw InputError(value.pointer(), range, true);
    const int frame = std::stoi(name);
    if (frame < 1 || frame > frames) throw InputError(value.pointer(), range, true);
    return frame - 1;
}

std::string frame_note(bool animated, int frame) { return animated ? " at frame " + std::to_string(frame + 1) : ""; }

}  // namespace zy::zyscene
