#include "host/core/geometry/MeshCreator.h"
#include "host/core/io/MeshFileError.h"
#include "host/core/io/MeshIO.h"
#include "tests/support/Meshes.h"

#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

namespace Tesselon {
namespace {

// A unit cube of quads, wound counter-clockwise from outside, with a material library no one can open.
const std::string kCubeObj = R"(mtllib cube.mtl
o cube
v 0 0 0
v 1 0 0
v 1 1 0
v 0 1 0
v 0 0 1
v 1 0 1
v 1 1 1
v 0 1 1
usemtl steel
f 1 4 3 2
f 5 6 7 8
f 1 2 6 5
f 3 4 8 7
f 1 5 8 4
f 2 3 7 6
)";

// Binary STL claiming `claimedCount` triangles, followed by those of the mesh.
std::string binaryStl(const Mesh& mesh, std::uint32_t claimedCount)
{
    std::string bytes(80, ' ');
    bytes.append(reinterpret_cast<const char*>(&claimedCount), 4);
    for (const Mesh::Triangle& face : mesh.faces()) {
        const Eigen::Vector3d& a = mesh.vertices()[face[0]];
        const Eigen::Vector3f normal =
            (mesh.vertices()[face[1]] - a).cross(mesh.vertices()[face[2]] - a).normalized().cast<float>();
        bytes.append(reinterpret_cast<const char*>(normal.data()), 12);
        for (int index : face)
            bytes.append(reinterpret_cast<const char*>(mesh.vertices()[index].cast<float>().eval().data()),
                         12);
        bytes.append(2, '\0');
    }
    return bytes;
}

TEST(MeshIO, ObjCubeIsClosedAndOutwardPlyPolygonsAreTriangulatedMalformedMeshesNameTheSource)
{
    const Mesh cube = MeshIO::load(kCubeObj, "OBJ");
    EXPECT_EQ(cube.vertices().size(), 8u);
    EXPECT_EQ(cube.faces().size(), 12u);
    EXPECT_NEAR(Tesselon::Test::enclosedVolume(cube), 1.0, 1e-12);
    ASSERT_TRUE(cube.hasNormals());
    for (std::size_t i = 0; i < cube.vertices().size(); ++i)  // computed, pointing away from the centre
        EXPECT_GT(cube.normals()[i].dot(cube.vertices()[i] - Eigen::Vector3d(0.5, 0.5, 0.5)), 0.5);

    const std::string ply =
        "ply\nformat ascii 1.0\nelement vertex 4\nproperty float x\nproperty float y\n"
        "property float z\nelement face 1\nproperty list uchar int vertex_indices\nend_header\n"
        "0 0 0\n2 0 0\n2 3 0\n0 3 0\n4 0 1 2 3\n";
    const Mesh square = MeshIO::load(ply, "ply");
    ASSERT_EQ(square.faces().size(), 2u);
    for (const Mesh::Triangle& f : square.faces())  // each half of the 2 x 3 square, wound like it
        EXPECT_DOUBLE_EQ((square.vertices()[f[1]] - square.vertices()[f[0]])
                             .cross(square.vertices()[f[2]] - square.vertices()[f[0]])
                             .z(),
                         6.0);

    const std::string triangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
    const std::string plyHeader =
        "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
        "property float z\nelement face 1\nproperty list uchar int vertex_indices\nend_header\n";
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"empty", "obj", ""},
        {"unknown format", "dae", triangle + "f 1 2 3\n"},
        {"obj without faces", "obj", triangle},
        {"obj only lines", "obj", triangle + "l 1 2 3\n"},
        {"obj face beyond vertices", "obj", triangle + "f 1 2 9\n"},
        {"obj not a number", "obj", "v nan 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"},
        {"obj binary noise", "obj", std::string("\x01\xff\x00\x7f\x80garbage\x00\x00", 14)},
        {"stl truncated text", "stl", "solid x\nfacet normal 0 0 1\nouter loop\nvertex 0 0"},
        {"stl claims more triangles than it holds", "stl", binaryStl(MeshCreator::createSphere(1, 1, 3), 9)},
        {"ply face without corners", "ply", plyHeader + "0 0 0\n"},  // assimp aborts on it unchecked
        {"ply header only", "ply", "ply\nformat ascii 1.0\nend_header\n"},
        {"ply mangled header line", "ply",
         std::regex_replace(plyHeader, std::regex("property float y"), "property&float y") + "0 0 0\n"},
        {"ply more elements than bytes", "ply",
         std::regex_replace(plyHeader, std::regex("vertex 3"), "vertex 99999999999") + "0 0 0\n"},
        {"ply header without its end", "ply",
         plyHeader.substr(0, plyHeader.size() - 11) + "0 0 0\n"},  // hung
    };
    for (const auto& [what, format, bytes] : cases) {
        SCOPED_TRACE(what);
        EXPECT_THAT([&] { MeshIO::load(bytes, format, "probe.bin"); },
                    testing::ThrowsMessage<MeshFileError>(testing::StartsWith("probe.bin")));
    }
}

// Every face keeps its corners in order (through single precision), shared corners are joined, and the
// file's face normals are kept.

TEST(MeshIO, FilesTakeTheirFormatFromTheNameFailNamingThePathAndBinaryStlRoundTrips)
{
    QTemporaryDir folder;
    const std::string path = folder.filePath("Cube.OBJ").toStdString();
    std::ofstream(path) << kCubeObj;
    std::ofstream(folder.filePath("cube.mtl").toStdString()) << "newmtl steel\nKd 0.5 0.5 0.5\n";
    EXPECT_EQ(MeshIO::load(path).faces().size(), 12u);
    for (const QString& bad : {folder.filePath("missing.stl"), folder.filePath("Cube.txt")})
        EXPECT_THAT(
            [&] { MeshIO::load(bad.toStdString()); },
            testing::Throws<MeshFileError>(testing::Property(&MeshFileError::source, bad.toStdString())));

    const Mesh sphere = MeshCreator::createSphere(12.5, 7, 11);
    const Mesh loaded =
        MeshIO::load(binaryStl(sphere, static_cast<std::uint32_t>(sphere.faces().size())), "stl");
    ASSERT_EQ(loaded.faces().size(), sphere.faces().size());
    EXPECT_LT(loaded.vertices().size(), 3 * sphere.faces().size());
    for (std::size_t i = 0; i < sphere.faces().size(); ++i) {
        const Mesh::Triangle& original = sphere.faces()[i];
        const Eigen::Vector3d& a = sphere.vertices()[original[0]];
        const Eigen::Vector3d normal =
            (sphere.vertices()[original[1]] - a).cross(sphere.vertices()[original[2]] - a);
        for (int corner = 0; corner < 3; ++corner) {
            const int index = loaded.faces()[i][corner];
            ASSERT_LT((loaded.vertices()[index] - sphere.vertices()[original[corner]]).norm(), 1e-5) << i;
            EXPECT_LT((loaded.normals()[index] - normal.normalized()).norm(), 1e-6) << i;
        }
    }
}

}  // namespace
}  // namespace Tesselon
