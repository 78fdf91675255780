// Prepares a mesh for the race against POV-Ray: reads it as zyscene does,
// scales it to 1 unit tall with its base at y = 0, centred on the y axis, and
// writes it twice with the same points and normals: NAME.obj for zyscene
// (scene coordinates, "handedness": "left") and NAME.inc, a POV-Ray mesh2
// declared as NAME. Smooth meshes get area-weighted vertex normals in both.
//
//   zybench_mesh [--flat] MESH_FILE OUT_DIR NAME
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "zyscene/input_error.h"
#include "zyscene/mesh_import.h"

namespace {

namespace fs = std::filesystem;
using zy::V3D;
using zy::zyscene::Mesh;

// Points moved and scaled so that the mesh stands 1 unit tall on y = 0,
// centred in x and z.
void fit(std::vector<V3D>& points) {
    V3D lo = points[0], hi = points[0];
    for (const V3D& p : points) {
        lo = {std::fmin(lo.x, p.x), std::fmin(lo.y, p.y), std::fmin(lo.z, p.z)};
        hi = {std::fmax(hi.x, p.x), std::fmax(hi.y, p.y), std::fmax(hi.z, p.z)};
    }
    const double s = 1.0 / (hi.y - lo.y);
    const V3D centre{(lo.x + hi.x) / 2, lo.y, (lo.z + hi.z) / 2};
    for (V3D& p : points) p = {(p.x - centre.x) * s, (p.y - centre.y) * s, (p.z - centre.z) * s};
}

// Sum of the (area-weighted) plane normals around each point, made unit.
std::vector<V3D> vertex_normals(const Mesh& mesh) {
    std::vector<V3D> n(mesh.points.size(), V3D{0, 0, 0});
    for (const auto& t : mesh.tris) {
        const V3D& a = mesh.points[static_cast<std::size_t>(t[0])];
        const V3D& b = mesh.points[static_cast<std::size_t>(t[1])];
        const V3D& c = mesh.points[static_cast<std::size_t>(t[2])];
        V3D e1, e2, cross;
        zy::v3d_sub(b, a, e1);
        zy::v3d_sub(c, a, e2);
        zy::v3d_mul(e1, e2, cross);
        for (const int32_t i : t) zy::v3d_add(n[static_cast<std::size_t>(i)], cross, n[static_cast<std::size_t>(i)]);
    }
    for (V3D& v : n) {
        if (zy::v3d_nrm(v) == 0.0) v = {0, 1, 0};
    }
    return n;
}

bool write_obj(const fs::path& file, const Mesh& mesh, const std::vector<V3D>& normals) {
    FILE* out = std::fopen(file.c_str(), "w");
    if (out == nullptr) return false;
    for (const V3D& p : mesh.points) std::fprintf(out, "v %.9g %.9g %.9g\n", p.x, p.y, p.z);
    for (const V3D& n : normals) std::fprintf(out, "vn %.9g %.9g %.9g\n", n.x, n.y, n.z);
    for (const auto& t : mesh.tris) {
        if (normals.empty())
            std::fprintf(out, "f %d %d %d\n", t[0] + 1, t[1] + 1, t[2] + 1);
        else
            std::fprintf(out, "f %d//%d %d//%d %d//%d\n", t[0] + 1, t[0] + 1, t[1] + 1, t[1] + 1, t[2] + 1, t[2] + 1);
    }
    return std::fclose(out) == 0;
}

bool write_mesh2(const fs::path& file, const std::string& name, const Mesh& mesh, const std::vector<V3D>& normals) {
    FILE* out = std::fopen(file.c_str(), "w");
    if (out == nullptr) return false;
    std::fprintf(out, "#declare %s = mesh2 {\n  vertex_vectors { %zu", name.c_str(), mesh.points.size());
    for (const V3D& p : mesh.points) std::fprintf(out, ",\n    <%.9g, %.9g, %.9g>", p.x, p.y, p.z);
    std::fprintf(out, "\n  }\n");
    if (!normals.empty()) {
        std::fprintf(out, "  normal_vectors { %zu", normals.size());
        for (const V3D& n : normals) std::fprintf(out, ",\n    <%.9g, %.9g, %.9g>", n.x, n.y, n.z);
        std::fprintf(out, "\n  }\n");
    }
    std::fprintf(out, "  face_indices { %zu", mesh.tris.size());
    for (const auto& t : mesh.tris) std::fprintf(out, ",\n    <%d, %d, %d>", t[0], t[1], t[2]);
    std::fprintf(out, "\n  }\n}\n");
    return std::fclose(out) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    const bool flat = argc > 1 && std::strcmp(argv[1], "--flat") == 0;
    const int first = flat ? 2 : 1;
    if (argc - first != 3) {
        std::fprintf(stderr, "usage: zybench_mesh [--flat] MESH_FILE OUT_DIR NAME\n");
        return 2;
    }
    const fs::path source = argv[first];
    const fs::path folder = argv[first + 1];
    const std::string name = argv[first + 2];
    Mesh mesh;
    try {
        zy::zyscene::MeshShape shape;
        shape.file = source.string();
        mesh = zy::zyscene::import_model(source, shape, "", [](const std::string&) {}).mesh;
    } catch (const zy::zyscene::InputError& e) {
        std::fprintf(stderr, "zybench_mesh: %s: %s\n", source.c_str(), e.what());
        return 1;
    }
    fit(mesh.points);
    const std::vector<V3D> normals = flat ? std::vector<V3D>{} : vertex_normals(mesh);
    fs::create_directories(folder);
    if (!write_obj(folder / (name + ".obj"), mesh, normals) || !write_mesh2(folder / (name + ".inc"), name, mesh, normals)) {
        std::fprintf(stderr, "zybench_mesh: cannot write into %s\n", folder.c_str());
        return 1;
    }
    std::printf("%zu triangles\n", mesh.tris.size());
    return 0;
}
