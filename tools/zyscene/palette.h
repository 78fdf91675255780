// Many colours reduced to a bounded palette.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zy::zyscene {

using Rgb8 = std::array<uint8_t, 3>;

struct Palette {
    std::vector<Rgb8> colours;
    /// The entry of colours that stands for each colour given, in their order.
    std::vector<uint16_t> entry_of;
};

/// A palette of at most `most` colours (1..65536) by median cut: the box of
/// colours with the widest channel range is halved at the median of its
/// population along that channel, until there are `most` boxes or each holds
/// one colour. An entry is the mean of its box, each colour weighted by how
/// often it was given, so a palette of fewer colours than `most` is exact.
Palette median_cut(const std::vector<Rgb8>& colours, std::size_t most);

}  // namespace zy::zyscene
