// Texture files whose header does not match their size, and memory running
// out (every pixel type is read back in the scene compiler's texture test; a
// missing image is a conformance case).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "driver/memoire.h"
#include "driver/stop.h"
#include "scene/image_loader.h"
#include "scene/rt_var.h"
#include "support/test_support.h"

namespace zy {
namespace {

using writer::Bytes;

Bytes texture(int16_t type, int16_t width, int16_t height, std::size_t pixel_bytes) {
    writer::TextureFile t;
    t.header = {type, 77, width, height};
    for (std::size_t i = 0; i < pixel_bytes; ++i) t.pixels.push_back(static_cast<uint8_t>(i * 37 + 11));
    return writer::texture_file_bytes(t);
}

// Loads the named textures in-process from the given files (lower-case names).
struct Loader {
    test::InProcess run;
    IIM_IMAGE images[3]{};

    int load(const std::vector<std::string>& names, const std::vector<std::pair<std::string, Bytes>>& files) {
        for (const auto& [name, bytes] : files) writer::write_file(run.folder() / name, bytes);
        rt_var.n_img = static_cast<int16_t>(names.size());
        for (std::size_t i = 0; i < names.size(); ++i) std::snprintf(rt_var.img_names[i], 81, "%s", names[i].c_str());
        rt_var.images = images;
        return test::quiet_stop_error(rt_read_images);
    }
    int load_one(const Bytes& bytes) { return load({"T.IIM"}, {{"t.iim", bytes}}); }
};

TEST(ImageLoader, HeadersThatDoNotFitTheFileAreFormatErrors) {
    // A 3 x 2 mask-and-colour image needs 24 pixel bytes: every cut is refused.
    const Bytes whole = texture(5, 3, 2, 24);
    for (std::size_t size = 0; size < whole.size(); ++size) {
        Loader loader;
        EXPECT_EQ(loader.load_one(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size))), kErrFormat)
            << size << " bytes";
    }
    // One byte short for the other formats; unknown types; empty sizes.
    for (const Bytes& bad : {texture(0, 9, 3, 5), texture(1, 5, 4, 19), texture(4, 3, 2, 17), texture(6, 2, 2, 64),
                             texture(-1, 2, 2, 64), texture(4, 0, 2, 64), texture(1, 2, 0, 64),
                             texture(2, -3, 2, 64)}) {
        Loader loader;
        EXPECT_EQ(loader.load_one(bad), kErrFormat) << "header type " << int(bad[9]);
    }
}

TEST(ImageLoader, MemoryExhaustedIsErrorOne) {
    Loader loader;
    memoire_fail_after(0);
    const int error = loader.load_one(texture(1, 1, 1, 1));
    memoire_fail_after(-1);
    EXPECT_EQ(error, kErrMemory);
}

}  // namespace
}  // namespace zy
