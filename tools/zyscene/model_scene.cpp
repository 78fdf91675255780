#include "zyscene/model_scene.h"

#include <cctype>

namespace zy::zyscene {

namespace {

// The file's stem as a scene name: the characters the files allow, at most 8.
std::string scene_name(const std::filesystem::path& model) {
    std::string name;
    for (char c : model.stem().string()) {
        const auto u = static_cast<unsigned char>(c);
        if (name.size() < 8 && (std::isalnum(u) || c == '_' || c == '-'))
            name += static_cast<char>(std::tolower(u));
    }
    return name.empty() ? "model" : name;
}

}  // namespace

Json model_json(const std::filesystem::path& model) {
    const std::string file = model.filename().string();
    return {
        {"name", scene_name(model)},
        {"render", {{"width", 640}, {"height", 480}, {"floor", true}}},
        // Squares of one unit show the model's size.
        {"surfaces",
         {{"floor",
           {{"material", {{"color", {226, 226, 226}}}},
            {"material2", {{"color", {205, 205, 205}}}},
            {"pattern", {{"name", "checkered"}, {"scale", 0.02}}}}}}},
        {"floor", {{"surface", "floor"}}},
        {"camera", {{"from_file", file}}},
        {"lights", {{{"from_file", file}}}},
        {"objects", {{{"name", "model"}, {"mesh", file}}}}};
}

Description model_description(const Json& root, bool size_given) {
    Description d = read_description(root);
    std::get<MeshShape>(d.objects[0].shape).standard_size = kStandardSize;
    d.camera_request->fit_when_file_has_none = true;
    d.camera_request->picture_takes_file_aspect = !size_given;
    d.light_files[0].defaults_when_file_has_none = true;
    return d;
}

}  // namespace zy::zyscene
