// Values that change over the frames of an animation: keyframes joined by
// straight lines.
#pragma once

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "geometry/xmath.h"
#include "zyscene/json_fields.h"

namespace zy::zyscene {

/// The value a track takes at one frame (counted from 0, frame 1 of the description).
template <typename T>
struct Key {
    int frame;
    T value;
};

/// Straight-line blends; exact at t = 0 and t = 1.
inline double blend(double a, double b, double t) { return (1 - t) * a + t * b; }
inline V3D blend(const V3D& a, const V3D& b, double t) {
    return {blend(a.x, b.x, t), blend(a.y, b.y, t), blend(a.z, b.z, t)};
}

inline bool same_value(double a, double b) { return a == b; }
inline bool same_value(const V3D& a, const V3D& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

/// A value over the frames. One key holds it still; between two keys a frame
/// takes the straight-line blend of them, before the first and after the last
/// key the nearest key's value.
template <typename T>
class Track {
public:
    Track() = default;
    Track(T constant) : keys_{{0, std::move(constant)}} {}
    /// keys: at least one, sorted by frame, no frame twice.
    explicit Track(std::vector<Key<T>> keys) : keys_(std::move(keys)) {}

    T at(int frame) const {
        const auto after = std::find_if(keys_.begin(), keys_.end(), [&](const Key<T>& k) { return k.frame >= frame; });
        if (after == keys_.end()) return keys_.back().value;
        if (after == keys_.begin() || after->frame == frame) return after->value;
        const Key<T>& before = *(after - 1);
        const double t = static_cast<double>(frame - before.frame) / (after->frame - before.frame);
        return blend(before.value, after->value, t);
    }

    bool animated() const { return keys_.size() > 1; }

    bool operator==(const Track& other) const {
        const auto same = [](const Key<T>& a, const Key<T>& b) {
            return a.frame == b.frame && same_value(a.value, b.value);
        };
        return std::equal(keys_.begin(), keys_.end(), other.keys_.begin(), other.keys_.end(), same);
    }

private:
    std::vector<Key<T>> keys_;
};

/// Frame (from 0) of a keyframe member named name: a frame number 1..frames.
/// Throws InputError at the member's key otherwise.
int key_frame(const std::string& name, const Node& value, int frames);

/// Reads a value that may change: the value itself, or an object of keyframes
/// {"FRAME": value, ...} with frames numbered from 1 to frames; read reads one
/// value.
template <typename T, typename Read>
Track<T> read_track(const Node& node, int frames, Read read) {
    if (!node.value().is_object()) return Track<T>(read(node));
    Members members(node);
    std::vector<std::pair<Key<T>, Node>> read_keys;
    for (const auto& [name, value] : members.all())
        read_keys.push_back({{key_frame(name, value, frames), read(value)}, value});
    if (read_keys.empty()) node.fail("names no keyframe: give {\"FRAME\": value, ...}");
    std::stable_sort(read_keys.begin(), read_keys.end(),
                     [](const auto& a, const auto& b) { return a.first.frame < b.first.frame; });
    std::vector<Key<T>> keys;
    for (auto& [key, value] : read_keys) {
        // "1" and "01" name one frame.
        if (!keys.empty() && keys.back().frame == key.frame)
            value.fail("a second key for frame " + std::to_string(key.frame + 1));
        keys.push_back(std::move(key));
    }
    return Track<T>(std::move(keys));
}

/// " at frame N" (N counted from 1) when the value at fault changes over the
/// frames, "" when it is the same in all of them.
std::string frame_note(bool animated, int frame);

}  // namespace zy::zyscene
