#include "navigation/resources/generator/SphereObjWriter.h"

#include <QFile>

#include <gtest/gtest.h>
#include <Eigen/Geometry>

#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <sstream>
#include <utility>
#include <vector>

namespace Tesselon {
namespace {

struct ObjMesh
{
    std::vector<Eigen::Vector3d> vertices;
    std::vector<Eigen::Vector3d> normals;
    std::vector<std::array<int, 3>> triangles;  // 0-based
};

ObjMesh parseObj(const std::string& text)
{
    ObjMesh mesh;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string kind;
        fields >> kind;
        if (kind == "v" || kind == "vn") {
            Eigen::Vector3d p;
            fields >> p.x() >> p.y() >> p.z();
            (kind == "v" ? mesh.vertices : mesh.normals).push_back(p);
        } else if (kind == "f") {
            std::array<int, 3> v{}, n{};
            const int read =
                std::sscanf(line.c_str(), "f %d//%d %d//%d %d//%d", &v[0], &n[0], &v[1], &n[1], &v[2], &n[2]);
            EXPECT_EQ(read, 6) << line;
            EXPECT_EQ(v, n) << "vertex and normal indices differ: " << line;
            mesh.triangles.push_back({v[0] - 1, v[1] - 1, v[2] - 1});
        } else {
            ADD_FAILURE() << "unexpected line: " << line;
        }
    }
    return mesh;
}

std::string compiledMeshText()
{
    QFile file(":/Navigation/Sphere.obj");
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << "resource missing";
    return file.readAll().toStdString();
}

class SphereMesh : public testing::Test
{
protected:
    static void SetUpTestSuite() { s_mesh = parseObj(compiledMeshText()); }
    static ObjMesh s_mesh;
};
ObjMesh SphereMesh::s_mesh;

TEST(SphereMeshResource, IsTheWritersMesh)
{
    EXPECT_EQ(compiledMeshText(), SphereObjWriter().text());
}

TEST_F(SphereMesh, HasPolesAroundThirtyOneRingsOfSixtyFourExactToDoublePrecision)
{
    ASSERT_EQ(s_mesh.vertices.size(), 1986u);
    ASSERT_EQ(s_mesh.normals.size(), 1986u);
    ASSERT_EQ(s_mesh.triangles.size(), 3968u);
    EXPECT_EQ(s_mesh.vertices.front(), Eigen::Vector3d(0.0, 0.0, 4.0));
    EXPECT_EQ(s_mesh.vertices.back(), Eigen::Vector3d(0.0, 0.0, -4.0));
    for (int ring = 0; ring < 31; ++ring) {
        const double z = 4.0 * std::cos(std::numbers::pi * (ring + 1) / 32.0);
        for (int segment = 0; segment < 64; ++segment)
            ASSERT_NEAR(s_mesh.vertices[1 + ring * 64 + segment].z(), z, 1e-14) << ring << ", " << segment;
    }
    for (std::size_t i = 0; i < s_mesh.vertices.size(); ++i) {
        ASSERT_NEAR(s_mesh.vertices[i].norm(), 4.0, 1e-14) << "vertex " << i + 1;
        ASSERT_NEAR(s_mesh.normals[i].norm(), 1.0, 1e-15) << "normal " << i + 1;
        ASSERT_LT((s_mesh.normals[i] - s_mesh.vertices[i] / 4.0).norm(), 1e-15) << "normal " << i + 1;
    }
}

TEST_F(SphereMesh, TrianglesWindCounterClockwiseSeenFromOutside)
{
    for (const auto& [a, b, c] : s_mesh.triangles) {
        ASSERT_TRUE(a >= 0 && b >= 0 && c >= 0 && a < 1986 && b < 1986 && c < 1986);
        const Eigen::Vector3d& pa = s_mesh.vertices[a];
        const Eigen::Vector3d normal = (s_mesh.vertices[b] - pa).cross(s_mesh.vertices[c] - pa);
        ASSERT_GT(normal.norm(), 1e-6) << "degenerate triangle " << a + 1;
        ASSERT_GT(normal.dot(pa + s_mesh.vertices[b] + s_mesh.vertices[c]), 0.0)
            << "inward triangle " << a + 1;
    }
}

TEST_F(SphereMesh, IsClosedWithEveryEdgeBetweenTwoTriangles)
{
    // Each directed edge once, and its reverse once in the neighbouring triangle: closed and consistent.
    std::map<std::pair<int, int>, int> directedEdges;
    for (const auto& t : s_mesh.triangles)
        for (int i = 0; i < 3; ++i)
            ++directedEdges[{t[i], t[(i + 1) % 3]}];
    for (const auto& [edge, count] : directedEdges) {
        ASSERT_EQ(count, 1) << edge.first + 1 << "-" << edge.second + 1;
        ASSERT_TRUE(directedEdges.contains({edge.second, edge.first}))
            << edge.first + 1 << "-" << edge.second + 1;
    }
    const auto edges = static_cast<long>(directedEdges.size() / 2);
    EXPECT_EQ(static_cast<long>(s_mesh.vertices.size()) - edges + static_cast<long>(s_mesh.triangles.size()),
              2);
}

}  // namespace
}  // namespace Tesselon
