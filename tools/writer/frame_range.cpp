#include "writer/frame_range.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "writer/scene_reader.h"

namespace zy::writer {

namespace fs = std::filesystem;

namespace {

// Bit of the settings' options word that keeps a break file.
constexpr int32_t kAutosaveOption = 1;

// Only the record changes; what follows it is copied as it stands.
Bytes range_settings(const fs::path& path, int end) {
    Bytes settings = read_file(path);
    try {
        RT_INF inf = read_settings_head(settings);
        inf.frame_count = static_cast<int16_t>(end);
        inf.options |= kAutosaveOption;
        const Bytes head = settings_head_bytes(inf);
        std::copy(head.begin(), head.end(), settings.begin());
    } catch (const ReadError& e) {
        throw std::runtime_error(path.string() + ": " + e.what());
    }
    return settings;
}

void write_range_frames(const fs::path& source, const fs::path& target, std::uintmax_t begin, std::uintmax_t end) {
    { std::ofstream create(target, std::ios::binary | std::ios::trunc); }
    std::error_code ec;
    fs::resize_file(target, begin, ec);
    std::ifstream in(source, std::ios::binary);
    std::ofstream out(target, std::ios::binary | std::ios::in | std::ios::out);
    in.seekg(static_cast<std::streamoff>(begin));
    out.seekp(static_cast<std::streamoff>(begin));
    std::vector<char> buffer(1 << 20);
    for (std::uintmax_t left = end - begin; left > 0 && in && out;) {
        const auto piece = static_cast<std::streamsize>(std::min<std::uintmax_t>(left, buffer.size()));
        in.read(buffer.data(), piece);
        out.write(buffer.data(), in.gcount());
        left -= static_cast<std::uintmax_t>(in.gcount());
        if (in.gcount() == 0) break;
    }
    out.flush();
    if (ec || !in || !out) throw std::runtime_error(target.string() + ": cannot be written from " + source.string());
}

// True for the names zyray writes in its working folder.
bool written_by_zyray(const std::string& name, const RangeSource& source) {
    return name == source.break_file || name == source.scene_picture ||
           (name.size() == 12 && name.starts_with("zy_") && name.ends_with(".tif"));
}

// Textures are only read: a hard link is enough where the file system has
// them, unless zyray would write to that name and so through the link.
void link_or_copy(const fs::path& source, const fs::path& target, bool may_link) {
    std::error_code ec;
    if (may_link) {
        fs::create_hard_link(source, target, ec);
        if (!ec) return;
    }
    fs::copy_file(source, target, fs::copy_options::overwrite_existing, ec);
    if (ec)
        throw std::runtime_error(target.string() + ": cannot be copied from " + source.string() + ": " + ec.message());
}

}  // namespace

void write_range_folder(const RangeSource& source, const fs::path& target, int first, int end) {
    write_file(target / source.settings_file, range_settings(source.folder / source.settings_file, end));
    write_range_frames(source.folder / source.frame_file, target / source.frame_file,
                       source.block_size * static_cast<std::uintmax_t>(first),
                       source.block_size * static_cast<std::uintmax_t>(end));
    write_file(target / source.break_file, break_file_bytes(static_cast<int16_t>(first), 0));
    // Links last: a texture named like one of the run's own files must not
    // let a write through the link change the scene folder.
    link_or_copy(source.folder / kShadeFile, target / kShadeFile, true);
    for (const std::string& texture : source.texture_files)
        if (!fs::exists(target / texture))
            link_or_copy(source.folder / texture, target / texture, !written_by_zyray(texture, source));
}

std::string run_picture(int frame, int run_frames, const std::string& scene_picture) {
    if (run_frames == 1) return scene_picture;
    char name[32];
    std::snprintf(name, sizeof name, "zy_%05d.tif", frame + 1);
    return name;
}

}  // namespace zy::writer
