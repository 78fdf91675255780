// Named surfaces of the description, turned into the settings file's surface
// records.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "scene/records.h"
#include "zyscene/colour_meaning.h"
#include "zyscene/json_fields.h"
#include "zyscene/surface_images.h"

namespace zy::zyscene {

/// A white matte surface with every other member at its default.
RT_SRF plain_surface();

/// The surfaces in the alphabetical order of their names; the record index is
/// the surface number the triangles carry.
class SurfaceTable {
public:
    /// Reads the "surfaces" object of the description, its colours meant as
    /// meaning says.
    static SurfaceTable read(const Node& surfaces, ColourMeaning meaning);

    const std::vector<RT_SRF>& records() const { return records_; }
    /// Surface number of the surface named by node, a string.
    int16_t index_of(const Node& name) const;
    /// Appends a surface made from a file's material, whose colours mean what
    /// the description's mean; its number follows the description's surfaces. Throws InputError at pointer when the name is
    /// taken or the files would hold too many surfaces.
    int16_t add(const std::string& name, const RT_SRF& surface, const std::string& pointer);
    /// True when the surface's look depends on where a point lies in its
    /// object (pattern, bump or image).
    bool uses_texture_space(int16_t index) const;
    /// Where the surface's image lies, or nothing for a surface without one.
    const std::optional<ImagePlacement>& placement(int16_t index) const {
        return placements_[static_cast<std::size_t>(index)];
    }
    /// The distinct images, in the order of their numbers (img_index).
    const std::vector<ImageSource>& images() const { return images_; }

private:
    std::vector<std::string> names_;
    std::vector<RT_SRF> records_;
    std::vector<std::optional<ImagePlacement>> placements_;
    std::vector<ImageSource> images_;
    ColourMeaning meaning_ = ColourMeaning::Seen;
};

/// Copies a surface into the floor fields of the settings; node names the
/// surface. The floor cannot show an image.
void set_floor_surface(const SurfaceTable& surfaces, const Node& node, RT_INF& inf);

}  // namespace zy::zyscene
