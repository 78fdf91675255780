#include "front/output_names.h"

#include "front/options.h"
#include "pictures/picture_files.h"

namespace zy::front {

namespace fs = std::filesystem;

OutputNames::OutputNames(const std::string& option, const std::string& scene, bool animation) {
    std::error_code ec;
    std::string path = option;
    if (path.empty() || path.ends_with('/') || fs::is_directory(path, ec))
        path = (fs::path(path) / (scene + (animation ? "_####.png" : ".png"))).string();
    const std::string ext = fs::path(path).extension().string();
    if (pictures::lower_extension(path) != ".png" && !pictures::is_tiff_name(path))
        throw UsageError("-o " + option + ": the picture must end in .png or .tif");
    const std::size_t name_start = path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1;
    const std::size_t run = path.find('#', name_start);
    if (run == std::string::npos) {
        if (animation)
            throw UsageError("-o " + option + ": an animation needs a run of # for the frame number, e.g. " +
                             (fs::path(path).parent_path() / fs::path(path).stem()).string() + "_####" + ext +
                             ", or a folder");
        head_ = path;
        return;
    }
    const std::size_t end = path.find_first_not_of('#', run);
    head_ = path.substr(0, run);
    tail_ = path.substr(end);
    digits_ = end - run;
}

fs::path OutputNames::of(int frame) const {
    if (digits_ == 0) return head_;
    std::string number = std::to_string(frame);
    if (number.size() < digits_) number.insert(0, digits_ - number.size(), '0');
    return head_ + number + tail_;
}

}  // namespace zy::front
