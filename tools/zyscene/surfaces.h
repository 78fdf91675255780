// Named surfaces of the description, turned into the settings file's surface
// records.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scene/records.h"
#include "zyscene/json_fields.h"

namespace zy::zyscene {

/// The surfaces in the alphabetical order of their names; the record index is
/// the surface number the triangles carry.
class SurfaceTable {
public:
    /// Reads the "surfaces" object of the description.
    static SurfaceTable read(const Node& surfaces);

    const std::vector<RT_SRF>& records() const { return records_; }
    /// Surface number of the surface named by node, a string.
    int16_t index_of(const Node& name) const;
    /// True when the surface's look depends on where a point lies in its
    /// object (pattern, bump or image).
    bool uses_texture_space(int16_t index) const;

private:
    std::vector<std::string> names_;
    std::vector<RT_SRF> records_;
};

/// Copies a surface into the floor fields of the settings (the floor has no image).
void set_floor_surface(const RT_SRF& surface, RT_INF& inf);

}  // namespace zy::zyscene
