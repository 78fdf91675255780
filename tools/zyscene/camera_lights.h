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
    /// A camera that stays where it is, placed by the compiler.
    static CameraTrack still(const V3D& eye, const V3D& look_at, const V3D& up, double fov);

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
    /// A light that stays where it is: fixed gives its kind, radius,
    /// attenuation and cone; colour is 0..255 per channel; direction is a
    /// spot light's axis.
    static LightTrack still(const RT_LIGHT& fixed, const V3D& position, const V3D& colour, const V3D& direction);

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

/// A horizontal opening angle in degrees, strictly between 0 and 180.
double read_fov(const Node& n);

/// {"from_file": FILE} in the lights: the file's lights, known once it is read.
struct LightFileRequest {
    std::string pointer;
    std::string file;   ///< relative to the description's folder
    std::size_t index;  ///< where they go among the lights
    /// A model shown alone: a file without lights gets the key and fill lights.
    bool defaults_when_file_has_none = false;
};

/// Reads the "lights" array; positions, colours, directions and targets may
/// be keyframed over frames frames. Lights taken from files go to files.
std::vector<LightTrack> read_lights(const Node& lights, int frames, std::vector<LightFileRequest>& files);

}  // namespace zy::zyscene
