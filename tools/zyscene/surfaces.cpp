#include "zyscene/surfaces.h"

#include <algorithm>
#include <limits>

#include "scene/records.h"
#include "zyscene/input_error.h"
#include "zyscene/names.h"
#include "zyscene/near_names.h"

namespace zy::zyscene {

namespace {

// Every member is optional; absent ones keep the values of base.
RT_MAT_BLOCK read_material(const Node& node, RT_MAT_BLOCK base, ColourMeaning meaning) {
    Members m(node);
    const auto rgb = stored_colour_or(m, "color", {base.color[0], base.color[1], base.color[2]}, meaning);
    std::copy(rgb.begin(), rgb.end(), base.color);
    const auto percent = [&](const char* key, uint8_t& field) {
        field = static_cast<uint8_t>(m.whole_or(key, 0, 255, field));
    };
    percent("luminous", base.luminous);
    percent("ambient", base.ambient);
    percent("diffuse", base.diffuse);
    percent("specular", base.specular);
    percent("reflection", base.reflect);
    percent("transparency", base.transp);
    if (auto n = m.optional("exponent")) {
        const auto e = n->whole(0, 510);
        if (e % 2 != 0) n->fail("must be an even number (the files hold half the exponent)");
        base.spec_exp = static_cast<uint8_t>(e / 2);
    }
    if (auto n = m.optional("refraction"))
        base.refraction = static_cast<uint8_t>(n->choice(kRefractionNames, "refraction"));
    m.finish();
    return base;
}

float nonzero_scale(const Node& node) {
    const float s = node.single();
    if (s == 0.0f) node.fail("must not be zero");
    return s;
}

RT_SRF read_surface(const Node& node, std::optional<SurfaceImage>& image, ColourMeaning meaning) {
    Members m(node);
    RT_SRF s = plain_surface();
    if (auto n = m.optional("material")) s.mat[0] = read_material(*n, s.mat[0], meaning);
    s.mat[1] = s.mat[0];
    if (auto n = m.optional("material2")) s.mat[1] = read_material(*n, s.mat[0], meaning);

    if (auto n = m.optional("pattern")) {
        Members p(*n);
        s.ptrn_type = static_cast<uint8_t>(p.required("name").choice(kPatternNames, "pattern") + 1);
        if (auto o = p.optional("orientation"))
            s.ptrn_arg = static_cast<uint8_t>(o->choice(kOrientationNames, "orientation"));
        if (auto sc = p.optional("scale")) s.ptrn_scale = nonzero_scale(*sc);
        p.finish();
    }
    if (auto n = m.optional("bump")) {
        Members b(*n);
        s.bump_type = static_cast<uint8_t>(b.required("name").choice(kBumpNames, "bump") + 1);
        if (auto d = b.optional("depth")) s.bump_depth = d->single();
        if (auto sc = b.optional("scale")) s.bump_scale = nonzero_scale(*sc);
        b.finish();
    }
    if (auto n = m.optional("flags")) {
        for (const Node& f : n->items()) {
            const int bit = f.choice(kSurfaceFlagNames, "surface flag");
            // The flag alone would name no image.
            if (bit == 0) f.fail("give the surface an \"image\" member instead");
            s.srf_flags = static_cast<uint8_t>(s.srf_flags | (1 << bit));
        }
    }
    if (auto n = m.optional("image")) {
        // The renderer shows the image instead of any pattern.
        if (s.ptrn_type != 0) m.optional("pattern")->fail("a surface with an image shows no pattern");
        image = read_surface_image(*n);
        s.srf_flags = static_cast<uint8_t>(s.srf_flags | 1);
        s.img_mode = image->img_mode;
        s.img_arg = image->img_arg;
    }
    m.finish();
    return s;
}

}  // namespace

RT_SRF plain_surface() {
    RT_SRF s{};
    RT_MAT_BLOCK& b = s.mat[0];
    b.color[0] = b.color[1] = b.color[2] = 255;
    b.ambient = 20;
    b.diffuse = 80;
    b.spec_exp = 10;
    s.mat[1] = b;
    s.ptrn_scale = 1.0f;
    s.bump_depth = 1.0f;
    s.bump_scale = 1.0f;
    return s;
}

SurfaceTable SurfaceTable::read(const Node& surfaces, ColourMeaning meaning) {
    SurfaceTable table;
    table.meaning_ = meaning;
    Members m(surfaces);
    const auto members = m.all();
    // The floor takes the number after the last surface, which is an int16 too.
    constexpr std::size_t kMost = std::numeric_limits<int16_t>::max();
    if (members.size() > kMost) members[kMost].second.fail("too many surfaces (the files hold at most 32767)");
    for (const auto& [name, node] : members) {
        std::optional<SurfaceImage> image;
        RT_SRF record = read_surface(node, image, meaning);
        if (image) {
            const auto known = std::find(table.images_.begin(), table.images_.end(), image->source);
            // The settings file names at most this many.
            if (known == table.images_.end() && table.images_.size() == static_cast<std::size_t>(kMaxImages))
                throw InputError(image->source.pointer, "more than 64 different images (the files name at most 64)");
            record.img_index = static_cast<uint8_t>(known - table.images_.begin());
            if (known == table.images_.end()) table.images_.push_back(image->source);
        }
        table.names_.push_back(name);
        table.records_.push_back(record);
        table.placements_.push_back(image ? std::optional(image->placement) : std::nullopt);
    }
    return table;
}

int16_t SurfaceTable::index_of(const Node& name) const {
    const std::string wanted = name.text();
    for (std::size_t i = 0; i < names_.size(); ++i)
        if (names_[i] == wanted) return static_cast<int16_t>(i);
    name.fail("no surface is named \"" + wanted + "\"" +
              (names_.empty() ? " (the description names none)" : " (known: " + name_list(names_) + ")"));
}

int16_t SurfaceTable::add(const std::string& name, const RT_SRF& surface, const std::string& pointer) {
    if (std::find(names_.begin(), names_.end(), name) != names_.end())
        throw InputError(pointer, "the file's material makes a surface \"" + name + "\", a name already taken");
    if (names_.size() == static_cast<std::size_t>(std::numeric_limits<int16_t>::max()))
        throw InputError(pointer, "too many surfaces (the files hold at most 32767)");
    names_.push_back(name);
    records_.push_back(meaning_ == ColourMeaning::Seen ? with_stored_colours(surface) : surface);
    placements_.push_back(std::nullopt);
    return static_cast<int16_t>(names_.size() - 1);
}

bool SurfaceTable::uses_texture_space(int16_t index) const {
    const RT_SRF& s = records_[static_cast<std::size_t>(index)];
    return s.ptrn_type != 0 || s.bump_type != 0 || (s.srf_flags & 1) != 0;
}

void set_floor_surface(const SurfaceTable& surfaces, const Node& node, RT_INF& inf) {
    const int16_t index = surfaces.index_of(node);
    if (surfaces.placement(index)) node.fail("the floor cannot show an image");
    const RT_SRF& surface = surfaces.records()[static_cast<std::size_t>(index)];
    inf.floor_mat[0] = surface.mat[0];
    inf.floor_mat[1] = surface.mat[1];
    inf.floor_ptrn_type = surface.ptrn_type;
    inf.floor_ptrn_arg = surface.ptrn_arg;
    inf.floor_bump_type = surface.bump_type;
    inf.floor_srf_flags = surface.srf_flags;
    inf.floor_ptrn_scale = surface.ptrn_scale;
    inf.floor_bump_depth = surface.bump_depth;
    inf.floor_bump_scale = surface.bump_scale;
}

}  // namespace zy::zyscene
