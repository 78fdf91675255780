// Texture loading: round trips through the writer, names, missing files and
// files whose header does not match their size.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "driver/memoire.h"
#include "driver/stop.h"
#include "scene/image_loader.h"
#include "scene/rt_var.h"
#include "support/test_support.h"

namespace zy {
namespace {

using test::InProcess;
using test::stop_error_of;
using writer::Bytes;
using writer::TextureFile;

TextureFile texture(int16_t type, int16_t width, int16_t height, std::size_t pixel_bytes) {
    TextureFile t;
    t.header = {type, 77, width, height};
    t.pixels.resize(pixel_bytes);
    for (std::size_t i = 0; i < pixel_bytes; ++i) t.pixels[i] = static_cast<uint8_t>(i * 37 + 11);
    return t;
}

// Loads the named textures in-process; files maps lower-case names to bytes.
struct Loader {
    InProcess run;
    IIM_IMAGE images[4]{};
    std::string output;

    int load(const std::vector<std::string>& names, const std::vector<std::pair<std::string, Bytes>>& files) {
        for (const auto& [name, bytes] : files) writer::write_file(run.folder() / name, bytes);
        rt_var.n_img = static_cast<int16_t>(names.size());
        for (std::size_t i = 0; i < names.size(); ++i) std::snprintf(rt_var.img_names[i], 81, "%s", names[i].c_str());
        rt_var.images = images;
        testing::internal::CaptureStdout();
        const int error = stop_error_of(rt_read_images);
        std::fflush(stdout);
        output = testing::internal::GetCapturedStdout();
        return error;
    }
};

TEST(ImageLoader, RoundTripsEveryPixelFormat) {
    const TextureFile files[] = {texture(0, 12, 3, 6), texture(1, 5, 4, 20), texture(4, 3, 2, 18),
                                 texture(5, 2, 2, 16)};
    for (const TextureFile& t : files) {
        Loader loader;
        ASSERT_EQ(loader.load({"TEX.IIM"}, {{"tex.iim", writer::texture_file_bytes(t)}}), -1) << t.header.type;
        const IIM_IMAGE& img = loader.images[0];
        EXPECT_EQ(img.type, t.header.type);
        EXPECT_EQ(img.head1, 77);
        EXPECT_EQ(img.width, t.header.width);
        EXPECT_EQ(img.height, t.header.height);
        ASSERT_EQ(img.size, static_cast<int64_t>(t.pixels.size()));
        EXPECT_EQ(std::memcmp(img.pixels, t.pixels.data(), t.pixels.size()), 0);
    }
}

TEST(ImageLoader, ExtraBytesAndPixellessTypesAreAccepted) {
    Loader loader;
    ASSERT_EQ(loader.load({"a.iim", "b.iim"}, {{"a.iim", writer::texture_file_bytes(texture(4, 2, 2, 20))},
                                               {"b.iim", writer::texture_file_bytes(texture(3, 640, 480, 0))}}),
              -1);
    EXPECT_EQ(loader.images[0].size, 20);
    EXPECT_EQ(loader.images[1].type, 3);
    EXPECT_EQ(loader.images[1].size, 0);
}

TEST(ImageLoader, TwoNamesForOneFileLoadTwice) {
    Loader loader;
    const Bytes bytes = writer::texture_file_bytes(texture(1, 4, 4, 16));
    ASSERT_EQ(loader.load({"Wall.IIM", "wall.iim"}, {{"wall.iim", bytes}}), -1);
    EXPECT_NE(loader.images[0].pixels, loader.images[1].pixels);
    EXPECT_EQ(std::memcmp(loader.images[0].pixels, loader.images[1].pixels, 16), 0);
}

TEST(ImageLoader, FirstMissingImageStopsWithTheTextureAlert) {
    Loader loader;
    const Bytes bytes = writer::texture_file_bytes(texture(1, 1, 1, 1));
    EXPECT_EQ(loader.load({"ONE.IIM", "MISSING.IIM", "THREE.IIM"}, {{"one.iim", bytes}, {"three.iim", bytes}}),
              kErrImage);
    EXPECT_NE(loader.output.find("[1][  Texture introuvable:|MISSING.IIM][Ok]\n"), std::string::npos)
        << loader.output;
    EXPECT_NE(loader.output.find("Image not found!"), std::string::npos);
    EXPECT_EQ(loader.output.find("three.iim"), std::string::npos) << "a later image was tried";
}

TEST(ImageLoader, FilesShorterThanTheirRowsAreFormatErrors) {
    // A 3 x 2 mask-and-colour image needs 24 pixel bytes: every cut is refused.
    const Bytes whole = writer::texture_file_bytes(texture(5, 3, 2, 24));
    for (std::size_t size = 0; size < whole.size(); ++size) {
        Loader loader;
        const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_EQ(loader.load({"t.iim"}, {{"t.iim", cut}}), kErrFormat) << size << " bytes";
    }
    // One byte short for each format with pixels.
    const TextureFile short_ones[] = {texture(0, 9, 3, 5), texture(1, 5, 4, 19), texture(4, 3, 2, 17)};
    for (const TextureFile& t : short_ones) {
        Loader loader;
        EXPECT_EQ(loader.load({"t.iim"}, {{"t.iim", writer::texture_file_bytes(t)}}), kErrFormat) << t.header.type;
    }
}

TEST(ImageLoader, UnknownTypesAndEmptySizesAreFormatErrors) {
    const TextureFile bad[] = {texture(6, 2, 2, 64),  texture(-1, 2, 2, 64), texture(4, 0, 2, 64),
                               texture(4, 2, 0, 64), texture(1, -3, 2, 64), texture(2, 4, -1, 64)};
    for (const TextureFile& t : bad) {
        Loader loader;
        EXPECT_EQ(loader.load({"t.iim"}, {{"t.iim", writer::texture_file_bytes(t)}}), kErrFormat)
            << t.header.type << " " << t.header.width << "x" << t.header.height;
    }
}

TEST(ImageLoader, MemoryExhaustedIsErrorOne) {
    Loader loader;
    memoire_fail_after(0);
    const int error = loader.load({"t.iim"}, {{"t.iim", writer::texture_file_bytes(texture(1, 1, 1, 1))}});
    memoire_fail_after(-1);
    EXPECT_EQ(error, kErrMemory);
}

}  // namespace
}  // namespace zy
