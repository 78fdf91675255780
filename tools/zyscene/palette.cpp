#include "zyscene/palette.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace zy::zyscene {

namespace {

struct Distinct {
    Rgb8 colour;
    uint64_t count = 0;
};

// A run of the distinct colours, [begin, end).
struct Box {
    std::size_t begin, end;
    int channel = 0;
    int range = 0;  ///< along channel, the widest of the three
};

uint32_t packed(const Rgb8& c) { return static_cast<uint32_t>(c[0] << 16 | c[1] << 8 | c[2]); }

Box measured(const std::vector<Distinct>& d, std::size_t begin, std::size_t end) {
    Box box{begin, end};
    for (int c = 0; c < 3; ++c) {
        const auto [lo, hi] = std::minmax_element(d.begin() + static_cast<std::ptrdiff_t>(begin),
                                                  d.begin() + static_cast<std::ptrdiff_t>(end),
                                                  [c](const Distinct& a, const Distinct& b) {
                                                      return a.colour[static_cast<std::size_t>(c)] <
                                                             b.colour[static_cast<std::size_t>(c)];
                                                  });
        const int range = hi->colour[static_cast<std::size_t>(c)] - lo->colour[static_cast<std::size_t>(c)];
        if (range > box.range) {
            box.range = range;
            box.channel = c;
        }
    }
    return box;
}

// Halves the box at its population's median; both halves keep a colour.
std::pair<Box, Box> halved(std::vector<Distinct>& d, const Box& box) {
    const auto first = d.begin() + static_cast<std::ptrdiff_t>(box.begin);
    const auto last = d.begin() + static_cast<std::ptrdiff_t>(box.end);
    const auto channel = static_cast<std::size_t>(box.channel);
    std::sort(first, last, [channel](const Distinct& a, const Distinct& b) { return a.colour[channel] < b.colour[channel]; });
    uint64_t total = 0;
    for (auto i = first; i != last; ++i) total += i->count;
    std::size_t cut = box.begin + 1;
    for (uint64_t below = d[box.begin].count; cut + 1 < box.end && 2 * below < total; ++cut) below += d[cut].count;
    return {measured(d, box.begin, cut), measured(d, cut, box.end)};
}

Rgb8 mean_of(const std::vector<Distinct>& d, const Box& box) {
    std::array<double, 3> sum{};
    double count = 0;
    for (std::size_t i = box.begin; i < box.end; ++i) {
        for (std::size_t c = 0; c < 3; ++c) sum[c] += static_cast<double>(d[i].count) * d[i].colour[c];
        count += static_cast<double>(d[i].count);
    }
    Rgb8 mean{};
    for (std::size_t c = 0; c < 3; ++c) mean[c] = static_cast<uint8_t>(std::lround(sum[c] / count));
    return mean;
}

}  // namespace

Palette median_cut(const std::vector<Rgb8>& colours, std::size_t most) {
    Palette palette;
    if (colours.empty()) return palette;
    std::unordered_map<uint32_t, std::size_t> known;
    std::vector<Distinct> distinct;
    for (const Rgb8& c : colours) {
        const auto [it, added] = known.try_emplace(packed(c), distinct.size());
        if (added) distinct.push_back({c});
        ++distinct[it->second].count;
    }
    std::vector<Box> boxes{measured(distinct, 0, distinct.size())};
    while (boxes.size() < most) {
        const auto widest = std::max_element(boxes.begin(), boxes.end(),
                                             [](const Box& a, const Box& b) { return a.range < b.range; });
        if (widest->range == 0) break;
        const auto [lower, upper] = halved(distinct, *widest);
        *widest = lower;
        boxes.push_back(upper);
    }
    for (std::size_t b = 0; b < boxes.size(); ++b) {
        palette.colours.push_back(mean_of(distinct, boxes[b]));
        for (std::size_t i = boxes[b].begin; i < boxes[b].end; ++i) known[packed(distinct[i].colour)] = b;
    }
    for (const Rgb8& c : colours) palette.entry_of.push_back(static_cast<uint16_t>(known[packed(c)]));
    return palette;
}

}  // namespace zy::zyscene
