// Spotting a misspelt name: the known name a user most likely meant.
#pragma once

#include <string>
#include <vector>

namespace zy::zyscene {

/// The name among names closest to typed (letter case ignored, a swap of two
/// neighbouring letters counting as one edit), or "" when none is within a
/// third of typed's length, at least one edit.
std::string closest_name(const std::string& typed, const std::vector<std::string>& names);

/// names joined by ", ", at most limit of them, "..." standing for the rest.
std::string name_list(const std::vector<std::string>& names, std::size_t limit = 24);

}  // namespace zy::zyscene
