#include "zyscene/output.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "zyscene/frame_baker.h"

namespace zy::zyscene {

namespace {

namespace fs = std::filesystem;

// The system's reason for the last failed call, as the user should read it.
std::string reason() { return errno != 0 ? std::strerror(errno) : "disk full?"; }

// A fresh folder inside outdir, or beside it when it is still to be made, so
// that moving files from it is a rename on the same file system; removed with
// whatever it holds when dropped.
class StagingFolder {
public:
    explicit StagingFolder(const fs::path& outdir) {
        const fs::path parent = outdir.parent_path().empty() ? fs::path(".") : outdir.parent_path();
        const bool inside = fs::is_directory(outdir);
        if (!inside && !fs::is_directory(parent))
            throw std::runtime_error(outdir.string() + ": the folder it goes into does not exist");
        // Hidden, and named after outdir, so a stray one explains itself.
        std::string leaf = outdir.filename().string();
        leaf.insert(0, 1, '.');
        leaf.append(".zyscene-XXXXXX");
        const std::string pattern = ((inside ? outdir : parent) / leaf).string();
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        errno = 0;
        if (mkdtemp(name.data()) == nullptr)
            throw std::runtime_error(outdir.string() +
                                     (inside ? ": cannot write into the folder (" : ": cannot create the folder (") +
                                     reason() + ")");
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

// Writes a block's records as they are baked, in the file's byte order.
class FileSink : public GeometrySink {
public:
    explicit FileSink(std::ofstream& out) : out_(out) {}
    void points(std::span<const V3S> points) override {
        bytes_.clear();
        writer::append_points(bytes_, points);
        put(bytes_);
    }
    void tris(std::span<const RT_TRI> tris) override {
        bytes_.clear();
        writer::append_tris(bytes_, tris);
        put(bytes_);
    }
    void put(const writer::Bytes& bytes) {
        out_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        written_ += bytes.size();
    }
    std::uintmax_t written() const { return written_; }

private:
    std::ofstream& out_;
    writer::Bytes bytes_;
    std::uintmax_t written_ = 0;
};

// Appends the first `size` bytes of file, already written, to out.
void repeat_start(const fs::path& file, std::uintmax_t size, std::ofstream& out) {
    out.flush();
    std::ifstream in(file, std::ios::binary);
    std::vector<char> piece(std::size_t{1} << 20);
    for (std::uintmax_t left = size; left > 0 && in && out;) {
        const auto n = static_cast<std::streamsize>(std::min<std::uintmax_t>(left, piece.size()));
        in.read(piece.data(), n);
        out.write(piece.data(), in.gcount());
        left -= static_cast<std::uintmax_t>(n);
    }
    if (!in) out.setstate(std::ios::failbit);
}

// One block at a time, baked as it is written; a scene that does not move
// repeats its first block.
std::uintmax_t write_frames(const fs::path& file, const CompiledScene& scene) {
    errno = 0;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    FileSink sink(out);
    const auto bake = [&](int k) {
        sink.put(writer::frame_head_bytes(scene.baker->head(k)));
        scene.baker->bake(k, sink);
    };
    bake(0);
    const std::uintmax_t block = sink.written();
    for (int k = 1; k < scene.frame_count && out; ++k) {
        if (scene.animated())
            bake(k);
        else
            repeat_start(file, block, out);
    }
    out.close();
    if (!out) throw std::runtime_error("cannot write " + file.string());
    return block * static_cast<std::uintmax_t>(scene.frame_count);
}

}  // namespace

std::uintmax_t write_scene_files(const CompiledScene& scene, const fs::path& outdir) {
    const fs::path target = outdir.filename().empty() ? outdir.parent_path() : outdir;
    if (fs::exists(target) && !fs::is_directory(target))
        throw std::runtime_error(target.string() + ": exists and is not a folder");
    StagingFolder staging(target);

    writer::Scene names_only;
    names_only.shade = scene.shade;
    // The frame file and the textures first and the shade file last: zyray
    // starts from the shade file.
    std::vector<std::string> files = {writer::scene_file_name(names_only, ".sys")};
    files.insert(files.end(), scene.settings.texture_names.begin(), scene.settings.texture_names.end());
    files.push_back(writer::scene_file_name(names_only, ".inf"));
    files.push_back("zy_shade.xpa");
    std::uintmax_t bytes = 0;
    const auto write = [&](const std::string& name, const writer::Bytes& content) {
        writer::write_file(staging.path() / name, content);
        bytes += content.size();
    };
    errno = 0;
    try {
        bytes += write_frames(staging.path() / files[0], scene);
        for (std::size_t i = 0; i < scene.textures.size(); ++i)
            write(scene.settings.texture_names[i], writer::texture_file_bytes(scene.textures[i]));
        write(files[files.size() - 2], writer::settings_file_bytes(scene.settings));
        write(files.back(), writer::shade_file_bytes(scene.shade));
    } catch (const std::runtime_error&) {
        throw std::runtime_error(target.string() + ": cannot write the scene files (" + reason() + ")");
    }

    std::error_code ec;
    fs::create_directory(target, ec);
    if (ec) throw std::runtime_error(target.string() + ": cannot create the folder (" + ec.message() + ")");
    for (const std::string& f : files) {
        fs::rename(staging.path() / f, target / f, ec);
        if (ec) throw std::runtime_error(target.string() + ": cannot write the scene files (" + ec.message() + ")");
    }
    return bytes;
}

}  // namespace zy::zyscene
