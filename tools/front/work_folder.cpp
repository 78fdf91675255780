#include "front/work_folder.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace zy::front {

namespace fs = std::filesystem;

namespace {

constexpr const char* kRecord = "zyray-work";

// FNV-1a, 64 bits: a change detector, not a guard against forgery.
class Digest {
public:
    void add(const char* bytes, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i)
            value_ = (value_ ^ static_cast<unsigned char>(bytes[i])) * 1099511628211ULL;
    }
    void add(const std::string& text) { add(text.c_str(), text.size() + 1); }
    void add_file(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        if (!in) throw std::runtime_error(path.string() + ": cannot be read");
        char buffer[1 << 16];
        while (in.read(buffer, sizeof buffer) || in.gcount() > 0) add(buffer, static_cast<std::size_t>(in.gcount()));
    }
    std::string hex() const {
        char text[17];
        std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value_));
        return text;
    }

private:
    uint64_t value_ = 14695981039346656037ULL;
};

fs::path temporary_root() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = (fs::path(tmp && *tmp ? tmp : "/tmp") / "zyray-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temporary folder in " + pattern);
    return pattern;
}

}  // namespace

WorkFolder::WorkFolder(const std::string& dir)
    : root_(dir.empty() ? temporary_root() : fs::path(dir)), kept_(!dir.empty()) {
    std::error_code ec;
    fs::create_directories(root_, ec);
    if (ec || !fs::is_directory(root_)) throw std::runtime_error(root_.string() + ": cannot be made a work folder");
}

WorkFolder::~WorkFolder() {
    std::error_code ec;
    if (!kept_) fs::remove_all(root_, ec);
}

WorkState WorkFolder::state(const std::string& fingerprint) const {
    std::ifstream in(root_ / kRecord);
    std::string recorded, state;
    if (!(in >> recorded >> state) || recorded != fingerprint || !fs::is_directory(render())) return WorkState::Other;
    return state == "complete" ? WorkState::Complete : WorkState::Partial;
}

bool WorkFolder::holds_other() const { return fs::exists(root_ / kRecord); }

void WorkFolder::record(const std::string& fingerprint, WorkState state) const {
    const fs::path part = root_ / (std::string(kRecord) + ".part");
    {
        std::ofstream out(part, std::ios::trunc);
        out << fingerprint << " " << (state == WorkState::Complete ? "complete" : "partial") << "\n";
        if (!out.flush()) throw std::runtime_error(part.string() + ": cannot be written");
    }
    fs::rename(part, root_ / kRecord);
}

std::string fingerprint(const writer::RangeSource& source, int first, int end) {
    Digest d;
    d.add("frames " + std::to_string(first) + " " + std::to_string(end));
    for (const std::string& file : {std::string(writer::kShadeFile), source.settings_file, source.frame_file}) {
        d.add(file);
        d.add_file(source.folder / file);
    }
    for (const std::string& texture : source.texture_files) {
        d.add(texture);
        d.add_file(source.folder / texture);
    }
    return d.hex();
}

}  // namespace zy::front
