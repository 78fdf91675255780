#include "writer/scene_reader.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "writer/file_layout.h"

namespace zy::writer {

namespace {

// Reads records in file order, each converted to host order, and refuses to
// read past the end.
class Cursor {
public:
    explicit Cursor(std::span<const uint8_t> bytes, std::size_t at = 0) : bytes_(bytes), at_(at) {}

    // Checks a whole part before any of it is read, so that the refusal names
    // the part's size rather than that of its first field.
    void need(std::size_t size) const {
        if (bytes_.size() < size)
            throw ReadError("ends after " + std::to_string(bytes_.size()) + " bytes, " + std::to_string(size) +
                            " needed");
    }

    void tag(const char* tag) {
        need(at_ + kTagSize);
        if (std::memcmp(bytes_.data() + at_, tag, kTagSize) != 0)
            throw ReadError(std::string("does not start with \"") + tag + "\"");
        at_ += kTagSize;
    }

    template <typename Record>
    Record record(void (*convert)(void*)) {
        Record r;
        take(&r, sizeof r);
        convert(&r);
        return r;
    }

    std::string text(TextField field) {
        need(at_ + field.stored);
        const auto* first = reinterpret_cast<const char*>(bytes_.data() + at_);
        at_ += field.stored;
        return {first, strnlen(first, field.kept)};
    }

    template <typename Record>
    void records(std::vector<Record>& out, int64_t count, void (*convert)(void*)) {
        for (int64_t i = 0; i < count; ++i) out.push_back(record<Record>(convert));
    }

    std::size_t at() const { return at_; }

private:
    void take(void* destination, std::size_t size) {
        need(at_ + size);
        std::memcpy(destination, bytes_.data() + at_, size);
        at_ += size;
    }

    std::span<const uint8_t> bytes_;
    std::size_t at_;
};

void translate_be32(void* field) { translate(field, 4); }

RT_INF settings_head(Cursor& in) {
    in.need(kSettingsHeadSize);
    in.tag(kSettingsTag);
    return in.record<RT_INF>(translate_RT_INF);
}

std::vector<std::string> texture_names(Cursor& in, int count) {
    std::vector<std::string> names;
    if (count <= 0) return names;
    in.need(in.at() + kTextureName.stored * static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) names.push_back(in.text(kTextureName));
    return names;
}

}  // namespace

ShadeFile read_shade_file(std::span<const uint8_t> bytes) {
    Cursor in(bytes);
    in.need(kShadeFileSize);
    in.tag(kShadeTag);
    ShadeFile shade;
    shade.directory = in.text(kShadeDirectory);
    shade.scene = in.text(kShadeScene);
    return shade;
}

RT_INF read_settings_head(std::span<const uint8_t> settings) {
    Cursor in(settings);
    return settings_head(in);
}

std::string record_directory(const RT_INF& inf) { return {inf.path, strnlen(inf.path, sizeof inf.path - 1)}; }

std::vector<std::string> read_texture_names(std::span<const uint8_t> settings, int count) {
    Cursor in(settings, kSettingsHeadSize);
    return texture_names(in, count);
}

SettingsFile read_settings_file(std::span<const uint8_t> settings) {
    Cursor in(settings);
    SettingsFile file;
    file.inf = settings_head(in);
    file.texture_names = texture_names(in, file.inf.n_img);
    in.records(file.surfaces, file.inf.n_srf, translate_RT_SRF);
    in.records(file.object_sizes, file.inf.n_obj, translate_be32);
    return file;
}

FrameBlock read_frame_block(std::span<const uint8_t> block, const RT_INF& counts) {
    Cursor in(block);
    in.tag(kFrameTag);
    FrameBlock frame;
    frame.cam = in.record<RT_CAM>(translate_RT_CAM);
    in.records(frame.lights, counts.n_light, translate_RT_LIGHT);
    for (int i = 0; i < counts.n_mat; ++i) {
        std::array<MAT4_64, 3> triple;
        for (auto& m : triple) m = in.record<MAT4_64>(translate_MAT4_64);
        frame.matrices.push_back(triple);
    }
    in.records(frame.points, counts.n_pnt, translate_V3S);
    in.records(frame.tris, counts.n_tri, translate_RT_TRI);
    return frame;
}

std::optional<BreakPoint> read_break_file(std::span<const uint8_t> bytes) {
    if (bytes.size() < 4) return std::nullopt;
    return BreakPoint{read_be16(bytes.data()), read_be16(bytes.data() + 2)};
}

Bytes read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error(path.string() + ": cannot be read");
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace zy::writer
