// Primitive and imported meshes: closed, consistently wound, welded, with
// normals that agree with the winding.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "zyscene/mesh.h"
#include "zyscene/mesh_import.h"
#include "zyscene_fixture.h"

namespace zy::zyscene::test {
namespace {

using zy::test::TempDir;

V3D plane_normal(const Mesh& m, std::size_t t) {
    V3D n;
    v3d_plane_nrm(m.points[m.tris[t][0]], m.points[m.tris[t][1]], m.points[m.tris[t][2]], n);
    return n;
}

// Every directed edge once, and its reverse once: a closed surface wound
// the same way all over.
void expect_closed_and_consistent(const Mesh& m) {
    std::map<std::pair<int32_t, int32_t>, int> edges;
    for (const auto& t : m.tris)
        for (int c = 0; c < 3; ++c) ++edges[{t[c], t[(c + 1) % 3]}];
    for (const auto& [edge, count] : edges) {
        EXPECT_EQ(count, 1) << edge.first << "-" << edge.second;
        EXPECT_EQ(edges.count({edge.second, edge.first}), 1u) << edge.first << "-" << edge.second;
    }
}

// Normals per corner or per point, one kind only.
void expect_normals_agree_with_winding(const Mesh& m) {
    const bool per_point = m.normals.empty();
    ASSERT_EQ(per_point ? m.point_normals.size() : m.normals.size(), per_point ? m.points.size() : m.tris.size());
    ASSERT_TRUE(per_point || m.point_normals.empty());
    for (std::size_t t = 0; t < m.tris.size(); ++t)
        for (int c = 0; c < 3; ++c) {
            const V3D& n = per_point ? m.point_normals[m.tris[t][c]] : m.normals[t][c];
            EXPECT_GT(v3d_scal(plane_normal(m, t), n), 0) << "triangle " << t;
        }
}

TEST(Primitives, AreClosedAndWoundOneWay) {
    for (const Mesh& m : {make_primitive(BoxShape{{1, 2, 3}}), make_primitive(SphereShape{1, 7, 5}),
                          make_primitive(CylinderShape{1, 2, 9, true}), make_primitive(TorusShape{2, 0.5, 10, 6})}) {
        expect_closed_and_consistent(m);
        expect_normals_agree_with_winding(m);
    }
}

TEST(Primitives, OpenShapesFaceTheirNormals) {
    const Mesh plane = make_primitive(PlaneShape{4, 2});
    ASSERT_EQ(plane.tris.size(), 2u);
    expect_normals_agree_with_winding(plane);
    for (const V3D& p : plane.points) EXPECT_EQ(std::pair(std::abs(p.x), std::abs(p.z)), std::pair(2.0, 1.0));
    expect_normals_agree_with_winding(make_primitive(CylinderShape{1, 2, 5, false}));
}

// A mesh file of the data folder (octa.obj: an octahedron with a corner
// written twice, right-handed, wound counter-clockwise seen from outside).
Mesh import_data(const std::string& name, MeshShape shape) {
    shape.file = name;
    return import_model(fs::path(ZY_TEST_DATA) / name, shape, "/objects/0/mesh", {}).mesh;
}

TEST(MeshImport, WeldsPointsAndMirrorsRightHandedFiles) {
    const Mesh m = import_data("octa.obj", {});
    EXPECT_EQ(m.points.size(), 6u);  // the repeated (1, 0, 0) is one point
    ASSERT_EQ(m.tris.size(), 8u);
    EXPECT_TRUE(m.normals.empty());
    expect_closed_and_consistent(m);
    // Mirrored in z, and the winding turned with it: still outward (every
    // face plane passes the origin on its inner side).
    for (std::size_t t = 0; t < m.tris.size(); ++t) EXPECT_GT(v3d_scal(plane_normal(m, t), m.points[m.tris[t][0]]), 0);
    EXPECT_TRUE(std::ranges::any_of(m.points, [](const V3D& p) { return p.z == -1 && p.x == 0 && p.y == 0; }))
        << "the file's (0, 0, 1) mirrored";

    MeshShape left;
    left.right_handed = false;
    const Mesh kept = import_data("octa.obj", left);
    EXPECT_EQ(kept.tris[0], (std::array<int32_t, 3>{0, 1, 2}));
    EXPECT_EQ(kept.points[2].z, 1);
}

TEST(MeshImport, NormalsComeFromTheFileUnlessAveragingIsAsked) {
    MeshShape left;
    left.right_handed = false;
    const Mesh file = import_data("tilted.obj", left);
    ASSERT_EQ(file.normals.size(), 1u);
    EXPECT_NEAR(file.normals[0][1].x, 0.6, 1e-6);
    EXPECT_NEAR(file.normals[0][1].z, 0.8, 1e-6);

    left.normals = NormalSource::Average;
    EXPECT_TRUE(import_data("tilted.obj", left).normals.empty());

    left.normals = NormalSource::File;
    EXPECT_EQ(input_error([&] { import_data("octa.obj", left); }),
              "/objects/0/mesh: mesh file \"octa.obj\" has no normals (or not for every part)");
}

// STL is read by the examples test (ASCII) and the progress test (binary).
TEST(MeshImport, ReadsPly) {
    EXPECT_EQ(import_data("quad.ply", {}).tris.size(), 2u);  // the quad, triangulated
}

TEST(MeshImport, LargeFilesReportTheirProgress) {
    TempDir dir;
    // A binary STL of 84000 facets (4.2 MB), a strip of triangles along x.
    constexpr uint32_t kFacets = 84000;
    std::string stl(80, ' ');
    stl.append(reinterpret_cast<const char*>(&kFacets), 4);
    for (uint32_t i = 0; i < kFacets; ++i) {
        const float x = static_cast<float>(i / 2), odd = static_cast<float>(i % 2);
        const float facet[12] = {0, 0, 1, x + odd, odd, 0, x + 1, 0, 0, x, 1, 0};
        stl.append(reinterpret_cast<const char*>(facet), sizeof facet);
        stl.append(2, '\0');
    }
    std::vector<std::string> lines;
    MeshShape shape;
    shape.file = "big.stl";
    const Mesh m = import_model(write_text(dir.path(), "big.stl", stl), shape, "/objects/0/mesh",
                                [&](const std::string& line) { lines.push_back(line); })
                       .mesh;
    EXPECT_EQ(m.tris.size(), kFacets);
    EXPECT_EQ(lines, (std::vector<std::string>{"reading big.stl (4.0 MB) ...", "big.stl: 84000 triangles"}));
}

}  // namespace
}  // namespace zy::zyscene::test
