// Whatever names the scene files hold (.., slashes, backslashes, drive
// letters, absolute folders), zyray opens and writes files of its working
// folder only. The two folders above the working folder are watched with
// inotify while it runs: any open, read, write or new entry there is an event.
#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "render/test_scenes.h"
#include "scene/rt_var.h"
#include "support/test_support.h"

namespace zy {
namespace {

namespace fs = std::filesystem;

// What happens in folders while fn runs, one line per event.
std::vector<std::string> events_during(const std::vector<fs::path>& folders, const std::function<void()>& fn) {
    const int fd = inotify_init1(IN_NONBLOCK);
    for (const auto& f : folders) inotify_add_watch(fd, f.c_str(), IN_ALL_EVENTS);
    fn();
    std::vector<std::string> lines;
    alignas(inotify_event) char buffer[8192];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) {
        for (char* p = buffer; p < buffer + n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(p);
            lines.push_back("mask " + std::to_string(e->mask) + " " + (e->len ? e->name : ""));
            p += sizeof(inotify_event) + e->len;
        }
    }
    close(fd);
    return lines;
}

// root/outer/work, with bait files named like the scene's files above it.
class WorkingFolder : public ::testing::Test {
protected:
    WorkingFolder() : outer_(root_.path() / "outer"), work_(outer_ / "work") {
        fs::create_directories(work_);
        for (const fs::path& folder : {root_.path(), outer_})
            for (const char* bait : {"wall.iim", "ball.inf", "ball.sys", "ball.brk", "ball.tif", "zy_shade.xpa"})
                writer::write_file(folder / bait, {'b', 'a', 'i', 't'});
        // With a dot of its own the scene name keeps the extensions away from
        // the dots of "..", so every file is found under its usual name.
        b_.scene().shade.scene = "BALL.X";
        b_.settings().options = 1;  // autosave: a break file is written too
        const RT_SRF textured = test::surface_of(test::material(255, 255, 255, 100), kSrfImage);
        b_.triangle({-5, -5, 0}, {5, -5, 0}, {0, 5, 0}, b_.surface(textured));
        writer::write_file(work_ / "wall.iim", writer::texture_file_bytes({{4, 0, 2, 2}, writer::Bytes(12, 200)}));
    }

    // Runs zyray in the working folder while the folders above are watched.
    test::RunResult run(const std::string& directory, const std::string& path,
                        const std::vector<std::string>& textures) {
        b_.scene().shade.directory = directory;
        std::strncpy(b_.settings().path, path.c_str(), sizeof b_.settings().path - 1);
        b_.scene().settings.texture_names = textures;
        b_.write(work_);
        fs::remove(work_ / "ball.brk");
        test::RunResult result;
        EXPECT_EQ(events_during({root_.path(), outer_}, [&] { result = test::run_zyray(work_); }),
                  std::vector<std::string>{});
        return result;
    }

    test::TempDir root_;
    fs::path outer_, work_;
    test::SceneBuilder b_;
};

TEST_F(WorkingFolder, NamesReachingUpwardsOpenTheWorkingFoldersFiles) {
    const std::string absolute = outer_.string() + "/";
    for (const auto& [directory, path, texture] : std::vector<std::tuple<std::string, std::string, std::string>>{
             {"../", "..\\..\\", "../wall.iim"},
             {"..\\..\\", "/", "..\\..\\WALL.IIM"},
             {absolute, absolute, absolute + "wall.iim"},
             {"C:..\\", "D:\\..\\", "C:..\\wall.iim"},
             {"\\\\server\\share\\", "//server/share/", "\\\\server\\share\\wall.iim"},
         }) {
        SCOPED_TRACE(directory + " | " + path + " | " + texture);
        const test::RunResult result = run(directory, path, {texture});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.output.find("[1]["), std::string::npos) << result.output;
    }
    EXPECT_TRUE(fs::exists(work_ / "ball.tif"));
    EXPECT_EQ(test::read_bytes(outer_ / "ball.tif"), (std::vector<uint8_t>{'b', 'a', 'i', 't'}));
}

TEST_F(WorkingFolder, TextureNamedAfterAFolderIsNotFound) {
    for (const std::string name : {"..", ".", "..\\..", "x\\..", "x/../"}) {
        SCOPED_TRACE(name);
        const test::RunResult result = run("", "", {name});
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.output.find("[1][  Texture introuvable:|" + name + "][Ok]\n[1][Image not found!|"),
                  std::string::npos)
            << result.output;
    }
}

}  // namespace
}  // namespace zy
