#include "zyscene/description.h"

#include <algorithm>
#include <cctype>

#include "zyscene/input_error.h"
#include "zyscene/settings.h"

namespace zy::zyscene {

namespace {

// The renderer finds its files by this name plus an extension; eight plain
// characters keep the names portable. A longer name is cut for the files.
std::string read_name(Members& m, std::vector<std::string>& notes) {
    constexpr std::size_t kLongest = 8;
    const auto n = m.optional("name");
    if (!n) return "scene";
    std::string name = n->text();
    const bool plain = std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-';
    });
    if (name.empty() || !plain) n->fail("must be letters, digits, '_' or '-' (the scene's file names)");
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (name.size() > kLongest) {
        notes.push_back("the scene's name \"" + n->text() + "\" is cut to \"" + name.substr(0, kLongest) +
                        "\" in the file names, which take at most 8 characters");
        name.resize(kLongest);
    }
    return name;
}

}  // namespace

Description read_description(const Json& root) {
    if (!root.is_object()) throw InputError("", "the description must be a JSON object { ... }");
    Members m(Node(root, ""));
    Description d;
    d.name = read_name(m, d.notes);
    static const Json kNone = Json::object();
    const auto surfaces = m.optional("surfaces");
    const ColourMeaning colours = read_colour_meaning(m);
    d.surfaces = SurfaceTable::read(surfaces ? *surfaces : Node(kNone, "/surfaces"), colours);
    d.settings = read_settings(m, d.surfaces, colours);
    const Node camera = m.required("camera");
    d.camera_request = read_camera_request(camera);
    if (!d.camera_request) d.camera = CameraTrack::read(camera, d.frames());
    if (const auto lights = m.optional("lights")) d.lights = read_lights(*lights, d.frames(), d.light_files);
    if (const auto objects = m.optional("objects")) d.objects = read_objects(*objects, d.surfaces, d.frames());
    m.finish();
    return d;
}

}  // namespace zy::zyscene
