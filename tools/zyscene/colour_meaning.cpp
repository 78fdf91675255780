#include "zyscene/colour_meaning.h"

#include <cmath>
#include <cstdlib>

#include "render/output_curve.h"

namespace zy::zyscene {

namespace {

// Every seen byte's stored byte, by trying all 256 through the output curve.
std::array<uint8_t, 256> inverse_table() {
    std::array<uint8_t, 256> table{};
    for (int seen = 0; seen < 256; ++seen) {
        int best = 0;
        double best_rounded = 256, best_exact = 256;
        for (int stored = 0; stored < 256; ++stored) {
            const double rounded = std::abs(shown_byte(static_cast<uint8_t>(stored)) - seen);
            const double exact = std::abs(RT_GAMMA_CORRECT(stored / kByteScale) * kByteScale - seen);
            if (rounded < best_rounded || (rounded == best_rounded && exact < best_exact)) {
                best = stored;
                best_rounded = rounded;
                best_exact = exact;
            }
        }
        table[static_cast<std::size_t>(seen)] = static_cast<uint8_t>(best);
    }
    return table;
}

}  // namespace

ColourMeaning read_colour_meaning(Members& description) {
    const auto n = description.optional("colors");
    if (!n) return ColourMeaning::Seen;
    if (!n->value().is_string() || n->text() != "file")
        n->fail("must be \"file\" (colours as the files store them); leave it out for colours as the picture shows them");
    return ColourMeaning::Stored;
}

uint8_t stored_for_seen(uint8_t seen) {
    static const std::array<uint8_t, 256> kTable = inverse_table();
    return kTable[seen];
}

std::array<uint8_t, 3> stored_colour_or(Members& m, const std::string& key, const std::array<uint8_t, 3>& fallback,
                                        ColourMeaning meaning) {
    const auto n = m.optional(key);
    if (!n) return fallback;
    std::array<uint8_t, 3> rgb = n->colour();
    if (meaning == ColourMeaning::Seen)
        for (uint8_t& c : rgb) c = stored_for_seen(c);
    return rgb;
}

RT_SRF with_stored_colours(RT_SRF surface) {
    for (RT_MAT_BLOCK& m : surface.mat)
        for (uint8_t& c : m.color) c = stored_for_seen(c);
    return surface;
}

}  // namespace zy::zyscene
