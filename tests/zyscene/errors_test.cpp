// Bad descriptions: one message naming the place and the fault.
#include <gtest/gtest.h>
#include <stb/stb_image_write.h>

#include <functional>
#include <span>

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
    return "{" + kCamera + R"(, "surfaces": {"s": {}})" + (members.empty() ? "" : ", " + members) + "}";
}

// A description with the camera and the surface "t" given.
std::string with_surface(const std::string& surface) {
    return "{" + kCamera + R"(, "surfaces": {"t": )" + surface + "}}";
}

struct Case {
    const char* members;
    const char* fault;  ///< expected text after "LINE:COL: "
};

// Each case's members, placed in a description by wrap, must fail with its fault.
void expect_faults(const TempDir& dir, std::span<const Case> cases,
                   const std::function<std::string(const std::string&)>& wrap) {
    for (const Case& c : cases) {
        const std::string fault = fault_of(dir, wrap(c.members));
        // "LINE:COL: " comes first, except for faults of the whole description.
        const auto after_place = fault.find(": ");
        const bool has_place = after_place != std::string::npos && fault.find(':') < after_place;
        EXPECT_EQ(has_place ? fault.substr(after_place + 2) : fault.substr(1), c.fault) << c.members;
    }
}

TEST(Errors, ValuesTheFilesCannotHoldAreRefusedAtTheirPlace) {
    const Case cases[] = {
        {R"("render": {"width": "wide"})", "/render/width: must be a whole number from 1 to 32767"},
        {R"("render": {"width": 0})", "/render/width: must be a whole number from 1 to 32767"},
        {R"("render": {"height": 32767})", "/render/height: must be a whole number from 1 to 32766"},
        {R"("render": {"max_depth": 65})", "/render/max_depth: must be a whole number from 0 to 64"},
        {R"("render": {"antialias": 1.5})", "/render/antialias: must be a whole number from 0 to 2"},
        {R"("render": {"frames": 0})", "/render/frames: must be a whole number from 1 to 32767"},
        {R"("render": {"fog": 1})", "/render/fog: must be true or false"},
        {R"("sky": {"top": [256, 0, 0]})", "/sky/top/0: must be a whole number from 0 to 255"},
        {R"("sky": {"top": "#12345"})",
         "/sky/top: must be a colour: [red, green, blue] with whole numbers 0..255, or \"#rrggbb\""},
        {R"("clouds": {"coverage": 101})", "/clouds/coverage: must be a whole number from 0 to 100"},
        {R"("fog": {"distance": 1e39})", "/fog/distance: 1e+39 is beyond the range of a 32-bit float"},
        {R"("name": "toolongname")", "/name: must be 1 to 8 letters, digits, '_' or '-' (the scene's file names)"},
        {R"("name": "a.b")", "/name: must be 1 to 8 letters, digits, '_' or '-' (the scene's file names)"},
        {R"("render": {"floor": true})",
         "the floor is switched on (render/floor) but no \"floor\" member names its surface"},
        {R"("floor": {"surface": "t"})", "/floor/surface: no surface is named \"t\""},
        {R"("lights": [{"position": [0, 1e39, 0]}])",
         "/lights/0/position: 1e+39 is beyond the range of a 32-bit float"},
        {R"("lights": [{"type": "spot", "position": [0, 0, 0]}])",
         "/lights/0: a spot light needs exactly one of \"direction\" and \"target\""},
        {R"("lights": [{"type": "spot", "position": [0, 0, 0], "target": [0, 0, 0]}])",
         "/lights/0/target: gives no direction (zero length)"},
        {R"("lights": [{"type": "spot", "position": [0, 0, 0], "direction": [0, 1, 0], "cone": 400}])",
         "/lights/0/cone: must be a whole number from 0 to 360"},
        {R"("lights": [{"type": "spot", "position": [0, 0, 0], "direction": [0, 1, 0], "softness": 101}])",
         "/lights/0/softness: must be a whole number from 0 to 100"},
        {R"("lights": [{"position": [0, 0, 0], "attenuation": 2}])",
         "/lights/0/attenuation: must be the name of attenuation (none, low, medium, high)"},
        {R"("lights": [{"position": [0, 0, 0], "radius": -1}])", "/lights/0/radius: must not be negative"},
        {R"("lights": [{"position": [0, 0, 0], "cone": 30}])", "/lights/0/cone: only spot lights take \"cone\""},
        {R"("objects": [{"box": {}}])", "/objects/0: missing member \"surface\""},
        {R"("objects": [{"surface": "s"}])",
         "/objects/0: an object needs exactly one shape: mesh, box, sphere, cylinder, plane or torus"},
        {R"("objects": [{"box": {}, "sphere": {}, "surface": "s"}])",
         "/objects/0: an object needs exactly one shape: mesh, box, sphere, cylinder, plane or torus"},
        {R"("objects": [{"sphere": {"radius": 0}, "surface": "s"}])",
         "/objects/0/sphere/radius: must be greater than 0"},
        {R"("objects": [{"sphere": {"segments": 2}, "surface": "s"}])",
         "/objects/0/sphere/segments: must be a whole number from 3 to 4096"},
        {R"("objects": [{"box": {}, "surface": "s", "transform": {"scale": [1, 0, 1]}}])",
         "/objects/0/transform/scale: must not be zero on any axis"},
        {R"("objects": [{"box": {}, "surface": "s", "transform": {"scale": 1e-120}}])",
         "/objects/0/transform: cannot be undone (a scale too close to 0 or too large)"},
        {R"("objects": [{"box": {}, "surface": "s", "transform": {"translate": [1e39, 0, 0]}}])",
         "/objects/0: 1e+39 is beyond the range of a 32-bit float"},
        {R"("objects": [{"mesh": "gone.obj", "surface": "s"}])", "/objects/0/mesh: mesh file \"gone.obj\" not found"},
        {R"("objects": [{"mesh": {"file": "x.obj", "normals": "smooth"}, "surface": "s"}])",
         "/objects/0/mesh/normals: unknown normal source \"smooth\" (known: auto, file, average)"},
    };
    expect_faults(TempDir(), cases, with);
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
    EXPECT_EQ(compile_text(dir.path(), scene(128)).first_frame.matrices.size(), 128u);
    const std::string fault = fault_of(dir, scene(129));
    EXPECT_NE(fault.find("/objects/128: more than 128 differently placed objects need texture matrices"),
              std::string::npos)
        << fault;
}

TEST(Errors, SurfaceChoicesAndImagesOutsideTheTables) {
    TempDir dir;
    write_text(dir.path(), "a.png", "");  // never opened: the faults come first
    write_text(dir.path(), "junk.png", "not an image at all");
    std::vector<uint8_t> row(32768, 0);
    ASSERT_NE(stbi_write_png((dir / "wide.png").string().c_str(), 32768, 1, 1, row.data(), 32768), 0);
    const Case cases[] = {
        {R"({"material": {"diffuse": 256}})", "/surfaces/t/material/diffuse: must be a whole number from 0 to 255"},
        {R"({"material": {"exponent": 31}})",
         "/surfaces/t/material/exponent: must be an even number (the files hold half the exponent)"},
        {R"({"material": {"exponent": 512}})", "/surfaces/t/material/exponent: must be a whole number from 0 to 510"},
        {R"({"material": {"refraction": "glas"}})",
         "/surfaces/t/material/refraction: unknown refraction \"glas\" (known: air, water, glass, crystal, diamond)"},
        {R"({"material2": {"refraction": 2}})",
         "/surfaces/t/material2/refraction: must be the name of refraction (air, water, glass, crystal, diamond)"},
        {R"({"pattern": {"scale": 2}})", "/surfaces/t/pattern: missing member \"name\""},
        {R"({"pattern": {"name": "granite", "scale": 0}})", "/surfaces/t/pattern/scale: must not be zero"},
        {R"({"pattern": {"name": "granite", "orientation": "w"}})",
         "/surfaces/t/pattern/orientation: unknown orientation \"w\" (known: x, y, z, across)"},
        {R"({"bump": {"name": "ripples"}})",
         "/surfaces/t/bump/name: unknown bump \"ripples\" (known: bumps, dents, wrinkles, corrosion, wave_static, "
         "wave_anim, floor_pyramids, floor_tiles)"},
        {R"({"bump": {"name": "dents", "scale": 1e-60}})", "/surfaces/t/bump/scale: must not be zero"},
        {R"({"flags": ["image"]})", "/surfaces/t/flags/0: give the surface an \"image\" member instead"},
        {R"({"flags": "metal"})", "/surfaces/t/flags: must be an array"},
        {R"({"colour": [1, 2, 3]})", "/surfaces/t/colour: unknown member \"colour\""},
        {R"({"image": "gone.png"})", "/surfaces/t/image: image file \"gone.png\" not found"},
        {R"({"image": ""})", "/surfaces/t/image: names no file"},
        {R"({"image": "wide.png"})",
         "/surfaces/t/image: image file \"wide.png\" is 32768 x 1 pixels; texture files hold at most 32767 in each "
         "direction"},
        {R"({"image": {"file": "a.png", "projection": "sphere"}})",
         "/surfaces/t/image/projection: unknown projection \"sphere\" (known: flat, cylindrical, "
         "cylindrical_mirrored)"},
        {R"({"image": {"file": "a.png", "projection": "cylindrical", "angle": 0}})",
         "/surfaces/t/image/angle: must be greater than 0 degrees"},
        {R"({"image": {"file": "a.png", "angle": 90}})",
         "/surfaces/t/image/angle: only the cylindrical projections take an angle"},
        {R"({"image": {"file": "a.png", "projection": "cylindrical_mirrored", "width": 2}})",
         "/surfaces/t/image/width: a cylindrical projection takes \"angle\" instead of \"width\""},
        {R"({"image": {"file": "a.png", "height": 0}})",
         "/surfaces/t/image/height: must be a length from 1e-30 to 1e30"},
        {R"({"image": {"file": "a.png", "use": "alpha"}})",
         "/surfaces/t/image/use: unknown image use \"alpha\" (known: auto, grey, color, mask)"},
        {R"({"image": "a.png", "pattern": {"name": "granite"}})",
         "/surfaces/t/pattern: a surface with an image shows no pattern"},
    };
    expect_faults(dir, cases, with_surface);
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

TEST(Errors, KeyframesAndWhatTheyReachBetweenThem) {
    const Case cases[] = {
        {R"("camera": {"eye": {"0": [0, 0, -1]}, "look_at": [0, 0, 0]})",
         "/camera/eye/0: a keyframe is named by its frame number, from 1 to 5 (render/frames)"},
        {R"("camera": {"eye": {"6": [0, 0, -1]}, "look_at": [0, 0, 0]})",
         "/camera/eye/6: a keyframe is named by its frame number, from 1 to 5 (render/frames)"},
        {R"("camera": {"eye": {"first": [0, 0, -1]}, "look_at": [0, 0, 0]})",
         "/camera/eye/first: a keyframe is named by its frame number, from 1 to 5 (render/frames)"},
        {R"("camera": {"eye": {"1": [0, 0, -1], "01": [0, 0, -2]}, "look_at": [0, 0, 0]})",
         "/camera/eye/1: a second key for frame 1"},
        {R"("camera": {"eye": {}, "look_at": [0, 0, 0]})",
         "/camera/eye: names no keyframe: give {\"FRAME\": value, ...}"},
        {R"("camera": {"eye": {"1": [0, 0, -1], "5": "far"}, "look_at": [0, 0, 0]})",
         "/camera/eye/5: must be an array of three numbers [x, y, z]"},
        // The eye passes through the point it looks at.
        {R"("camera": {"eye": {"1": [0, 0, -10], "3": [0, 0, 10]}, "look_at": [0, 0, 0]})",
         "/camera/look_at: must lie away from the eye at frame 2"},
        {R"("camera": {"eye": [0, 0, -10], "look_at": [0, 0, 0], "up": {"1": [0, 1, 0], "5": [0, 0, 1]}})",
         "/camera/up: the up vector must not be parallel to the viewing direction at frame 5"},
        {R"("camera": {"eye": [0, 0, -10], "look_at": [0, 0, 0], "fov": {"2": 180}})",
         "/camera/fov/2: must lie strictly between 0 and 180 degrees"},
        {R"(, "lights": [{"type": "spot", "position": [0, 0, 0], "target": {"1": [0, 0, -1], "3": [0, 0, 1]}}])",
         "/lights/0/target: gives no direction (zero length) at frame 2"},
        {R"(, "lights": [{"position": [0, 0, 0], "radius": {"1": 0, "2": 1}}])", "/lights/0/radius: must be a number"},
        {R"(, "objects": [{"box": {}, "surface": "s", "transform": {"scale": {"1": 1, "3": -1}}}])",
         "/objects/0/transform: cannot be undone (a scale too close to 0 or too large) at frame 2"},
        {R"(, "objects": [{"box": {}, "surface": "s", "transform": {"translate": {"1": [0, 0, 0], "3": [1e39, 0, 0]}}}])",
         "/objects/0: 5e+38 is beyond the range of a 32-bit float at frame 2"},
    };
    // Either a camera of its own, or more members after the usual one.
    expect_faults(TempDir(), cases, [](const std::string& members) {
        return R"({"render": {"frames": 5}, "surfaces": {"s": {}}, )" + (members[0] == ',' ? kCamera : "") + members +
               "}";
    });
}

// Surfaces, lights and objects are counted in 16 bits; the floor takes one
// more surface number. Checked on the parts, as whole descriptions that large
// would be slow to read.
TEST(Errors, CountsBeyondSixteenBits) {
    Json surfaces = Json::object();
    for (int i = 0; i < 32768; ++i) surfaces[std::to_string(100000 + i).insert(0, 1, 's')] = Json::object();
    // The names sort numerically from 100000.
    EXPECT_EQ(input_error([&] { SurfaceTable::read(Node(surfaces, "/surfaces")); }),
              "/surfaces/s132767: too many surfaces (the files hold at most 32767)");

    const Json lights(32768, Json::parse(R"({"position": [0, 0, 0]})"));
    EXPECT_EQ(read_lights(Node(Json(std::vector<Json>(lights.begin(), lights.begin() + 32767)), "/lights"), 1).size(),
              32767u);
    EXPECT_EQ(input_error([&] { read_lights(Node(lights, "/lights"), 1); }),
              "/lights: too many lights (the files hold at most 32767)");

    FrameGeometry frame;
    frame.object_sizes.assign(32767, 0);
    ObjectDesc object;
    object.pointer = "/objects/32767";
    EXPECT_EQ(input_error([&] { add_object(object, 0, make_primitive(PlaneShape{}), -1, frame); }),
              "/objects/32767: too many objects (the files hold at most 32767)");
    frame.object_sizes.pop_back();
    add_object(object, 0, make_primitive(PlaneShape{}), -1, frame);
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
