#include "zyscene/output.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace zy::zyscene {

namespace {

namespace fs = std::filesystem;

// A fresh folder beside outdir, so that moving files from it is a rename on
// the same file system; removed with whatever it holds when dropped.
class StagingFolder {
public:
    explicit StagingFolder(const fs::path& outdir) {
        const fs::path parent = outdir.parent_path().empty() ? fs::path(".") : outdir.parent_path();
        if (!fs::is_directory(parent))
            throw std::runtime_error(outdir.string() + ": the folder it goes into does not exist");
        // Hidden, and named after outdir, so a stray one explains itself.
        std::string leaf = outdir.filename().string();
        leaf.insert(0, 1, '.');
        leaf.append(".zyscene-XXXXXX");
        const std::string pattern = (parent / leaf).string();
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        if (mkdtemp(name.data()) == nullptr)
            throw std::runtime_error(outdir.string() + ": cannot create a temporary folder beside it");
        path_ = name.data();
    }
    ~StagingFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

std::uintmax_t write_frames(const fs::path& file, const writer::Bytes& block, int16_t count) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    for (int16_t i = 0; i < count && out; ++i)
        out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(block.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + file.string());
    return block.size() * static_cast<std::uintmax_t>(count);
}

}  // namespace

std::uintmax_t write_scene_files(const CompiledScene& scene, const fs::path& outdir) {
    const fs::path target = outdir.filename().empty() ? outdir.parent_path() : outdir;
    if (fs::exists(target) && !fs::is_directory(target))
        throw std::runtime_error(target.string() + ": exists and is not a folder");
    StagingFolder staging(target);

    writer::Scene names_only;
    names_only.shade = scene.shade;
    // The frame file first and the shade file last: zyray starts from the shade file.
    const std::string files[] = {writer::scene_file_name(names_only, ".sys"),
                                 writer::scene_file_name(names_only, ".inf"), "zy_shade.xpa"};
    const auto settings = writer::settings_file_bytes(scene.settings);
    const auto shade = writer::shade_file_bytes(scene.shade);
    std::uintmax_t bytes = settings.size() + shade.size();
    try {
        bytes += write_frames(staging.path() / files[0], writer::frame_block_bytes(scene.frame), scene.frame_count);
        writer::write_file(staging.path() / files[1], settings);
        writer::write_file(staging.path() / files[2], shade);
    } catch (const std::runtime_error&) {
        throw std::runtime_error(target.string() + ": cannot write the scene files beside it (disk full?)");
    }

    std::error_code ec;
    fs::create_directory(target, ec);
    if (ec) throw std::runtime_error(target.string() + ": cannot create the folder (" + ec.message() + ")");
    for (const std::string& f : files) {
        fs::rename(staging.path() / f, target / f, ec);
        if (ec) throw std::runtime_error((target / f).string() + ": cannot move into place (" + ec.message() + ")");
    }
    return bytes;
}

}  // namespace zy::zyscene
