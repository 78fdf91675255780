// Textures and vertex colours of model files baked into their triangles.
#include <assimp/material.h>
#include <gtest/gtest.h>
#include <stb/stb_image_write.h>

#include "zyscene/colour_meaning.h"
#include "zyscene/file_materials.h"
#include "zyscene/subdivision.h"
#include "zyscene_fixture.h"

namespace zy::zyscene::test {
namespace {

using zy::test::TempDir;
using Rgb = std::array<int, 3>;

Rgb colour_of(const CompiledScene& scene, const RT_TRI& t) {
    const auto& c = scene.settings.surfaces.at(static_cast<std::size_t>(t.srf)).mat[0].color;
    return {c[0], c[1], c[2]};
}

TEST(Baking, ATexturedQuadShowsItsPictureWithinTheBudget) {
    TempDir dir;
    // 16 x 16 texels: red, green over blue, white.
    std::vector<uint8_t> pixels;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const Rgb c = y < 8 ? (x < 8 ? Rgb{255, 0, 0} : Rgb{0, 255, 0}) : (x < 8 ? Rgb{0, 0, 255} : Rgb{255, 255, 255});
            pixels.insert(pixels.end(), c.begin(), c.end());
        }
    ASSERT_NE(stbi_write_png((dir / "pic.png").string().c_str(), 16, 16, 3, pixels.data(), 48), 0);
    // Its normals lean along u, so that they vary wherever a piece has its corners.
    write_text(dir.path(), "quad.obj", "mtllib q.mtl\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
                                       "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn -0.5 0 1\nvn 0.5 0 1\nusemtl pic\n"
                                       "f 1/1/1 2/2/2 3/3/2\nf 1/1/1 3/3/2 4/4/1\n");
    const std::string description = "{" + kCamera + R"(, "objects": [{"name": "q", "mesh": "quad.obj"}]})";
    for (const char* texture : {"pic.png", "missing.png"}) {
        write_text(dir.path(), "q.mtl", std::string("newmtl pic\nKd 1 1 0\nmap_Kd ") + texture + "\n");
        const CompiledScene scene = compile_text(dir.path(), description);
        const writer::FrameBlock first = scene.frame(0);
        const auto& tris = first.tris;
        if (std::string(texture) == "missing.png") {
            EXPECT_EQ(tris.size(), 2u);
            ASSERT_EQ(scene.warnings.size(), 1u);
            EXPECT_NE(scene.warnings[0].find("\"missing.png\" of material \"pic\" cannot be read"), std::string::npos);
            EXPECT_EQ(colour_of(scene, tris[0]), (Rgb{255, 255, 0}));
            continue;
        }
        // Each triangle covers 128 texels: three splits leave 64 pieces of 2 texels, each
        // inside one quadrant.
        ASSERT_EQ(tris.size(), 128u);
        EXPECT_EQ(scene.settings.surfaces.size(), 4u);
        for (const RT_TRI& t : tris) {
            double u = 0, v = 0;
            for (int c = 0; c < 3; ++c) {
                const V3S& p = first.points[t.vertex[c]];
                u += p.x / 3, v += p.y / 3;
                // Interpolated between the corners' normals, which lean in proportion to u - 0.5.
                EXPECT_NEAR(std::abs(t.normal[c].x / double(t.normal[c].z)), std::abs(p.x - 0.5), 1e-3);
            }
            const Rgb expected = v > 0.5 ? (u < 0.5 ? Rgb{255, 0, 0} : Rgb{0, 255, 0})
                                         : (u < 0.5 ? Rgb{0, 0, 255} : Rgb{255, 255, 255});
            EXPECT_EQ(colour_of(scene, t), expected) << u << " " << v;
        }
    }
}

// A PLY file of separate triangles, each with its corners' colours.
std::string ply(const std::vector<std::array<Rgb, 3>>& tris) {
    std::string text = "ply\nformat ascii 1.0\nelement vertex " + std::to_string(3 * tris.size()) +
                       "\nproperty float x\nproperty float y\nproperty float z\nproperty uchar red\n"
                       "property uchar green\nproperty uchar blue\nelement face " + std::to_string(tris.size()) +
                       "\nproperty list uchar int vertex_indices\nend_header\n";
    for (std::size_t i = 0; i < tris.size(); ++i)
        for (int c = 0; c < 3; ++c)
            text += std::to_string(i + (c == 1)) + " " + std::to_string(c == 2) + " 0 " +
                    std::to_string(tris[i][c][0]) + " " + std::to_string(tris[i][c][1]) + " " +
                    std::to_string(tris[i][c][2]) + "\n";
    for (std::size_t i = 0; i < tris.size(); ++i)
        text += "3 " + std::to_string(3 * i) + " " + std::to_string(3 * i + 1) + " " + std::to_string(3 * i + 2) + "\n";
    return text;
}

TEST(Baking, VertexColoursAreAveragedIntoABoundedPalette) {
    TempDir dir;
    const std::string description = "{" + kCamera + R"(, "objects": [{"mesh": "c.ply"}]})";
    write_text(dir.path(), "c.ply", ply({{Rgb{255, 0, 0}, Rgb{255, 0, 0}, Rgb{0, 0, 255}}}));
    aiMaterial same;
    const aiColor4D mean(2 / 3.0f, 0, 1 / 3.0f, 1);
    same.AddProperty(&mean, 1, AI_MATKEY_COLOR_DIFFUSE);
    const RT_SRF stored = with_stored_colours(convert_material(same).surface);
    const auto& expected = stored.mat[0].color;
    const CompiledScene one = compile_text(dir.path(), description);
    EXPECT_EQ(colour_of(one, one.frame(0).tris.at(0)), (Rgb{expected[0], expected[1], expected[2]}));

    std::vector<std::array<Rgb, 3>> many;
    for (int i = 0; i < 300; ++i) {
        const Rgb c{i % 256, i / 256 * 200, 9};
        many.push_back({c, c, c});
    }
    write_text(dir.path(), "c.ply", ply(many));
    EXPECT_EQ(compile_text(dir.path(), description).settings.surfaces.size(), 256u);
}

TEST(Baking, TheBudgetSplitsTheLargestPiecesFirst) {
    struct Row {
        std::vector<double> areas;
        std::size_t budget;
        std::vector<int> depths;
    };
    // Last: the larger cannot split twice, so the budget left goes to the smaller.
    const Row rows[] = {{{64, 16, 2}, 100, {2, 1, 0}}, {{64, 16}, 5, {1, 0}}, {{16, 64}, 6, {1, 1}}};
    for (const Row& r : rows) EXPECT_EQ(split_depths(r.areas, 4, r.budget), r.depths) << r.budget;
}

}  // namespace
}  // namespace zy::zyscene::test
