#include "zyscene/settings.h"

#include <cstring>

#include "zyscene/input_error.h"

namespace zy::zyscene {

namespace {

using Rgb = std::array<uint8_t, 3>;

// Bits of RT_INF.flags with their switch names.
struct Switch {
    const char* name;
    int16_t bit;
    bool on_by_default;
};
constexpr Switch kSwitches[] = {{"reflections", 1, true}, {"transparency", 2, true}, {"lights", 4, true},
                                {"floor", 8, false},      {"clouds", 16, false},     {"fog", 32, false}};

void set_colour(uint8_t* field, const Rgb& rgb) { std::memcpy(field, rgb.data(), 3); }

int16_t int16_or(Members& m, const char* key, int64_t lo, int64_t hi, int64_t fallback) {
    return static_cast<int16_t>(m.whole_or(key, lo, hi, fallback));
}

void read_render(Members& m, RT_INF& inf) {
    inf.res_x = int16_or(m, "width", 1, 32767, 320);
    // The break file records the line after the last band in 16 signed bits.
    inf.res_y = int16_or(m, "height", 1, 32766, 240);
    inf.aa_level = int16_or(m, "antialias", 0, 2, 1);
    inf.max_depth = int16_or(m, "max_depth", 0, 64, 5);
    for (const Switch& s : kSwitches)
        if (m.boolean_or(s.name, s.on_by_default)) inf.flags = static_cast<int16_t>(inf.flags | s.bit);
    inf.options = m.boolean_or("autosave", false) ? 1 : 0;
    inf.frame_count = int16_or(m, "frames", 1, 32767, 1);
    // One wave cycle over the whole animation unless said otherwise.
    inf.wave_period = int16_or(m, "wave_period", 1, 32767, inf.frame_count);
}

void read_sky(Members& m, RT_INF& inf, ColourMeaning meaning) {
    set_colour(inf.sky_color1, stored_colour_or(m, "top", {40, 80, 200}, meaning));
    set_colour(inf.sky_color2, stored_colour_or(m, "middle", {120, 160, 230}, meaning));
    set_colour(inf.sky_color3, stored_colour_or(m, "horizon", {220, 230, 255}, meaning));
    inf.sky_height = int16_or(m, "height", 0, 32767, 30);
}

void read_clouds(Members& m, RT_INF& inf, ColourMeaning meaning) {
    inf.cloud_a = static_cast<uint8_t>(m.whole_or("coverage", 0, 100, 50));
    inf.cloud_b = static_cast<uint8_t>(m.whole_or("turbulence", 0, 255, 50));
    set_colour(inf.cloud_color1, stored_colour_or(m, "color1", {255, 255, 255}, meaning));
    set_colour(inf.cloud_color2, stored_colour_or(m, "color2", {180, 180, 190}, meaning));
}

void read_fog(Members& m, RT_INF& inf, ColourMeaning meaning) {
    inf.fog_distance = m.single_or("distance", 1000.0f);
    set_colour(inf.fog_color, stored_colour_or(m, "color", {200, 200, 200}, meaning));
}

// Reads an optional section; an absent one reads as an empty object, so every
// default comes from the reader.
template <class Reader>
void read_section(Members& description, const char* key, const Reader& reader) {
    static const Json kEmpty = Json::object();
    const auto n = description.optional(key);
    Members m(n ? *n : Node(kEmpty, pointer_child("", key)));
    reader(m);
    m.finish();
}

}  // namespace

RT_INF read_settings(Members& description, const SurfaceTable& surfaces, ColourMeaning meaning) {
    RT_INF inf{};
    read_section(description, "render", [&](Members& m) { read_render(m, inf); });
    read_section(description, "sky", [&](Members& m) { read_sky(m, inf, meaning); });
    read_section(description, "clouds", [&](Members& m) { read_clouds(m, inf, meaning); });
    read_section(description, "fog", [&](Members& m) { read_fog(m, inf, meaning); });
    set_colour(inf.ambient_color, description.colour_or("ambient", {255, 255, 255}));

    if (const auto floor = description.optional("floor")) {
        Members m(*floor);
        set_floor_surface(surfaces, m.required("surface"), inf);
        m.finish();
    } else if (inf.flags & 8) {
        description.node().fail("the floor is switched on (render/floor) but no \"floor\" member names its surface");
    }
    return inf;
}

}  // namespace zy::zyscene
