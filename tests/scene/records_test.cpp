#include <gtest/gtest.h>

#include "writer/generated_scenes.h"
#include "writer/scene_reader.h"

namespace zy {
namespace {

using writer::Bytes;

// What the reader gives back writes the same bytes again, and a file cut
// anywhere is refused rather than read past its end.
TEST(Records, ReaderIsTheWritersInverse) {
    writer::Scene scene = writer::mesh_on_floor_scene(2, 4, 8, 4, 2);
    scene.shade = {std::string(140, 'd'), "Ball.xyz"};
    scene.settings.texture_names = {"a.iim", std::string(80, 'x')};
    scene.settings.object_sizes = {3, -1};
    for (auto& frame : scene.frames) frame.matrices.push_back({});
    writer::sync_counts(scene.settings, scene.frames[0]);
    const Bytes shade = writer::shade_file_bytes(scene.shade);
    EXPECT_EQ(writer::shade_file_bytes(writer::read_shade_file(shade)), shade);
    const Bytes settings = writer::settings_file_bytes(scene.settings);
    EXPECT_EQ(writer::settings_file_bytes(writer::read_settings_file(settings)), settings);
    const Bytes frame = writer::frame_block_bytes(scene.frames[1]);
    EXPECT_EQ(writer::frame_block_bytes(writer::read_frame_block(frame, scene.settings.inf)), frame);
    for (std::size_t n = 0; n < settings.size(); ++n)
        EXPECT_THROW(writer::read_settings_file(std::span(settings).first(n)), writer::ReadError) << n;
}

}  // namespace
}  // namespace zy
