// The camera and the lights of the description, as frame records for any
// frame of the animation.
#pragma once

#include <string>
#include <vector>

#include "scene/records.h"
#include "zyscene/json_fields.h"
#include "zyscene/track.h"

namespace zy::zyscene {

/// The camera over the frames.
class CameraTrack {
public:
    /// Reads the "camera" object: eye, look_at, up and the horizontal angle
    /// fov, each of them constant or keyframed over frames frames.
    static CameraTrack read(const Node& camera, int frames);

    /// The camera of a frame (from 0). Throws InputError when it looks nowhere
    /// or its up vector is along the view.
    RT_CAM at(int frame) const;
    bool animated() const { return eye_.animated() || look_at_.animated() || up_.animated() || fov_.animated(); }

private:
    Track<V3D> eye_, look_at_, up_;
    Track<double> fov_;
    std::string look_at_pointer_, up_pointer_;
};

/// One light over the frames.
class LightTrack {
public:
    /// Reads one light of the "lights" array.
    static LightTrack read(const Node& light, int frames);

    /// The light of a frame (from 0). Throws InputError when a spot light's
    /// target meets its position.
    RT_LIGHT at(int frame) const;
    bool animated() const { return position_.animated() || color_.animated() || aim_.animated(); }

private:
    RT_LIGHT fixed_{};                   ///< kind, radius, attenuation and cone
    Track<V3D> position_, color_, aim_;  ///< colour channels 0..255; aim: spot direction or target
    bool aim_is_target_ = false;
    std::string aim_pointer_;
};

/// Reads the "lights" array; positions, colours, directions and targets may
/// be keyframed over frames frames.
std::vector<LightTrack> read_lights(const Node& lights, int frames);

}  // namespace zy::zyscene
