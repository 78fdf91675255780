// Bad descriptions: one message naming the place and the fault.
#include <gtest/gtest.h>
#include <stb/stb_image_write.h>

#include <fstream>

#include "zyscene/camera_lights.h"
#include "zyscene/frame_geometry.h"
#include "zyscene/surfaces.h"
#include "zyscene_fixture.h"

namespace zy::zyscene::test {
namespace {

using zy::test::TempDir;

// What follows "scene.json:" in the message, after checking that the message
// starts with the description's path.
std::string fault_of(const TempDir& dir, const std::string& text) {
    const std::string message = compile_error(dir.path(), text);
    const std::string prefix = (dir / "scene.json").string() + ":";
    if (message.rfind(prefix, 0) != 0) return "message without the file: " + message;
    return message.substr(prefix.size());
}

// A description with the camera and one surface "s" around the members given.
std::string with(const std::string& members) {
    return "{" + kCamera + R"(, "surfaces": {"s": {}}, )" + members + "}";
}

// A description with the camera and the surface "t" given.
std::string with_surface(const std::string& surface) {
    return "{" + kCamera + R"(, "surfaces": {"t": )" + surface + "}}";
}

// The members of a case of bad_descriptions.txt in a description, as its place says.
std::string described(const std::string& place, const std::string& members) {
    if (place == "scene") return with(members);
    if (place == "surface") return with_surface(members);
    return R"({"render": {"frames": 5}, "surfaces": {"s": {}}, )" + (members[0] == ',' ? kCamera : "") + members +
           "}";
}

// The fault without its "LINE:COL: ", which faults of the whole description lack.
std::string without_place(const std::string& fault) {
    const auto after_place = fault.find(": ");
    const bool has_place = after_place != std::string::npos && fault.find(':') < after_place;
    return has_place ? fault.substr(after_place + 2) : fault.substr(1);
}

// The images the surface cases name.
void write_case_images(const TempDir& dir) {
    write_text(dir.path(), "a.png", "");  // never opened: the faults come first
    write_text(dir.path(), "junk.png", "not an image at all");
    std::vector<uint8_t> row(32768, 0);
    ASSERT_NE(stbi_write_png((dir / "wide.png").string().c_str(), 32768, 1, 1, row.data(), 32768), 0);
}

TEST(Errors, EachBadDescriptionOfTheTableGivesItsMessage) {
    TempDir dir;
    write_case_images(dir);
    std::ifstream table(std::string(ZY_TEST_DATA) + "/bad_descriptions.txt");
    ASSERT_TRUE(table);
    std::string line, place, members;
    int cases = 0;
    while (std::getline(table, line)) {
        if (line.empty() || line.starts_with('#')) continue;
        if (line.starts_with("== ")) {
            place = line.substr(3);
        } else if (members.empty()) {
            members = line;
        } else {
            if (const auto at = line.find("DIR"); at != std::string::npos) line.replace(at, 3, dir.path().string());
            EXPECT_EQ(without_place(fault_of(dir, described(place, members))), line) << members;
            members.clear();
            ++cases;
        }
    }
    EXPECT_TRUE(members.empty()) << "a case without its message: " << members;
    EXPECT_GT(cases, 0);
}

TEST(Errors, PlacesAreLinesAndColumnsOfTheText) {
    TempDir dir;
    EXPECT_EQ(fault_of(dir, "{\n  \"camera\": {\"eye\": [0,0,-1], \"look_at\": [0,0,0], \"zoom\": 2}\n}"),
              "2:51: /camera/zoom: unknown member \"zoom\"");
    // Comments are skipped when finding the place, and columns count characters.
    EXPECT_EQ(fault_of(dir, "// the size\n{\"é\": 0, /* \"render\" */ \"render\": {\"width\": -1}, " + kCamera + "}"),
              "2:45: /render/width: must be a whole number from 1 to 32767");
    EXPECT_EQ(fault_of(dir, "{\n" + kCamera + ",\n\"camera\": 1}"), "3:1: member \"camera\" given twice in one object");
    const std::string syntax = fault_of(dir, "{\n" + kCamera + ",\n  \"lights\": [}\n");
    EXPECT_EQ(syntax.substr(0, 2), "3:") << syntax;
    EXPECT_NE(syntax.find("syntax error"), std::string::npos) << syntax;
    // A number too large for a double has no value to point at, but is named.
    const std::string overflow = fault_of(dir, "{\"fog\": {\"distance\": 1e400}, " + kCamera + "}");
    EXPECT_EQ(overflow.rfind(" ", 0), 0u) << overflow;
    EXPECT_NE(overflow.find("1e400"), std::string::npos) << overflow;
    EXPECT_EQ(fault_of(dir, "[]"), " the description must be a JSON object { ... }");
    EXPECT_EQ(fault_of(dir, "{}"), " missing member \"camera\"");
}

TEST(Errors, AnUnreadableMeshNamesTheFileAndAssimpsReason) {
    TempDir dir;
    write_text(dir.path(), "junk.ply", "ply\nformat nonsense\n");
    const std::string fault = fault_of(dir, with(R"("objects": [{"mesh": "junk.ply", "surface": "s"}])"));
    const std::string expected = "/objects/0/mesh: cannot read mesh file \"junk.ply\": ";
    EXPECT_NE(fault.find(expected), std::string::npos) << fault;
    EXPECT_GT(fault.size(), fault.find(expected) + expected.size()) << "no reason given";
}

// count copies of item joined by commas, '#' replaced by the copy's number.
std::string many(const std::string& item, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        std::string one = item;
        for (auto at = one.find('#'); at != std::string::npos; at = one.find('#'))
            one.replace(at, 1, std::to_string(i));
        out += (out.empty() ? "" : ",") + one;
    }
    return out;
}

TEST(Errors, MatrixTriplesBeyondASignedByte) {
    TempDir dir;
    // mat_index is a signed byte.
    const std::string placed = R"({"plane": {}, "surface": "p", "transform": {"translate": [#, 0, 0]}})";
    const auto scene = [&](int objects) {
        return "{" + kCamera + R"(, "surfaces": {"p": {"pattern": {"name": "granite"}}}, "objects": [)" +
               many(placed, objects) + "]}";
    };
    EXPECT_EQ(compile_text(dir.path(), scene(128)).frame(0).matrices.size(), 128u);
    const std::string fault = fault_of(dir, scene(129));
    EXPECT_NE(fault.find("/objects/128: more than 128 differently placed objects need texture matrices"),
              std::string::npos)
        << fault;
}

TEST(Errors, AnUnreadableImageAndAnImageOnTheFloor) {
    TempDir dir;
    write_case_images(dir);
    const std::string junk = fault_of(dir, with_surface(R"({"image": {"file": "junk.png"}})"));
    EXPECT_NE(junk.find(": /surfaces/t/image/file: cannot read image file \"junk.png\": "), std::string::npos) << junk;
    EXPECT_EQ(junk.find('\n'), std::string::npos) << "more than one line: " << junk;
    EXPECT_NE(fault_of(dir, "{" + kCamera + R"(, "surfaces": {"t": {"image": "a.png"}}, "floor": {"surface": "t"}})")
                  .find(": /floor/surface: the floor cannot show an image"),
              std::string::npos);
}

TEST(Errors, MoreThanSixtyFourImages) {
    TempDir dir;
    const uint8_t pixel = 0;
    for (int i = 0; i < 64; ++i)
        ASSERT_NE(stbi_write_png((dir / (std::to_string(i) + ".png")).string().c_str(), 1, 1, 1, &pixel, 1), 0);
    const std::string surface = R"("s#": {"image": "#.png"}, "t#": {"image": "#.png"})";  // pairs share
    const auto scene = [&](int pairs) { return "{" + kCamera + R"(, "surfaces": {)" + many(surface, pairs) + "}}"; };
    EXPECT_EQ(compile_text(dir.path(), scene(64)).textures.size(), 64u);
    const std::string fault = fault_of(dir, scene(65));
    // Images are numbered in the order of the surface names: s9 is the last s.
    EXPECT_NE(fault.find(": /surfaces/s9/image: more than 64 different images (the files name at most 64)"),
              std::string::npos)
        << fault;
}

// Surfaces, lights and objects are counted in 16 bits; the floor takes one
// more surface number. Checked on the parts, as whole descriptions that large
// would be slow to read.
TEST(Errors, CountsBeyondSixteenBits) {
    Json surfaces = Json::object();
    for (int i = 0; i < 32768; ++i) surfaces[std::to_string(100000 + i).insert(0, 1, 's')] = Json::object();
    // The names sort numerically from 100000.
    EXPECT_EQ(input_error([&] { SurfaceTable::read(Node(surfaces, "/surfaces"), ColourMeaning::Seen); }),
              "/surfaces/s132767: too many surfaces (the files hold at most 32767)");

    const Json lights(32768, Json::parse(R"({"position": [0, 0, 0]})"));
    std::vector<LightFileRequest> from_files;
    EXPECT_EQ(read_lights(Node(Json(std::vector<Json>(lights.begin(), lights.begin() + 32767)), "/lights"), 1,
                          from_files)
                  .size(),
              32767u);
    EXPECT_EQ(input_error([&] { read_lights(Node(lights, "/lights"), 1, from_files); }),
              "/lights: too many lights (the files hold at most 32767)");

    struct : GeometrySink {
        void points(std::span<const V3S>) override {}
        void tris(std::span<const RT_TRI>) override {}
    } nowhere;
    FrameCounts frame;
    frame.object_sizes.assign(32767, 0);
    ObjectDesc object;
    object.pointer = "/objects/32767";
    const Mesh plane = make_primitive(PlaneShape{});
    const PlacedObject placed(object, 0, plane);
    EXPECT_EQ(input_error([&] { placed.put_points(frame, nowhere); }),
              "/objects/32767: too many objects (the files hold at most 32767)");
    frame.object_sizes.pop_back();
    placed.put_points(frame, nowhere);
    EXPECT_EQ(frame.object_sizes.size(), 32767u);
}

TEST(Errors, AFrameFileTheRendererCannotAddress) {
    TempDir dir;
    // 3600 triangles make a block of about 150 KB; 32767 of them pass 2 GiB.
    const std::string fault = fault_of(dir, with(R"("render": {"frames": 32767},
        "objects": [{"torus": {"segments": 60, "sides": 30}, "surface": "s"}])"));
    EXPECT_NE(fault.find(" the frame file would pass 2 GiB, more than the renderer can read"), std::string::npos)
        << fault;
}

}  // namespace
}  // namespace zy::zyscene::test
