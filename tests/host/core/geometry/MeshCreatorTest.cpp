#include "host/core/geometry/MeshCreator.h"

#include "tests/support/Meshes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <numbers>
#include <utility>

namespace Tesselon {
namespace {

struct SphereCase
{
    double radius;
    int rings;
    int segments;
};

class SphereCases : public testing::TestWithParam<SphereCase>
{
protected:
    Mesh sphere = MeshCreator::createSphere(GetParam().radius, GetParam().rings, GetParam().segments);
};

// Vertices on the sphere with exact outward normals; every edge shared by two faces running along it in
// opposite directions, every face counter-clockwise seen from outside: closed and consistently oriented.
TEST_P(SphereCases, IsAClosedOutwardSurfaceOnTheSphere)
{
    const auto [radius, rings, segments] = GetParam();
    ASSERT_EQ(sphere.vertices().size(), 2u + rings * segments);
    ASSERT_EQ(sphere.faces().size(), 2u * rings * segments);
    for (std::size_t i = 0; i < sphere.vertices().size(); ++i) {
        EXPECT_NEAR(sphere.vertices()[i].norm(), radius, 1e-12 * radius);
        EXPECT_LT((sphere.normals()[i] - sphere.vertices()[i] / radius).norm(), 1e-15);
    }
    std::map<std::pair<int, int>, int> edges;
    for (const Mesh::Triangle& face : sphere.faces()) {
        const Eigen::Vector3d& a = sphere.vertices()[face[0]];
        const Eigen::Vector3d& b = sphere.vertices()[face[1]];
        const Eigen::Vector3d& c = sphere.vertices()[face[2]];
        EXPECT_GT((b - a).cross(c - a).dot(a + b + c), 0.0);
        for (int corner = 0; corner < 3; ++corner)
            ++edges[{face[corner], face[(corner + 1) % 3]}];
    }
    for (const auto& [edge, count] : edges)
        EXPECT_TRUE(count == 1 && edges.count({edge.second, edge.first}) == 1)
            << edge.first << "-" << edge.second;
    // An inscribed polyhedron: a little less than the ball, and close to it when fine.
    const double ball = 4.0 / 3.0 * std::numbers::pi * std::pow(radius, 3);
    const double volume = Tesselon::Test::enclosedVolume(sphere);
    EXPECT_LT(volume, ball);
    EXPECT_GT(volume, (rings >= 15 ? 0.97 : 0.1) * ball);
}

INSTANTIATE_TEST_SUITE_P(MeshCreator, SphereCases,
                         testing::Values(SphereCase{1.0, 1, 3}, SphereCase{2.5, 2, 4},
                                         SphereCase{10.0, 15, 32}, SphereCase{0.1, 31, 64}));

TEST(MeshCreator, RefusesSpheresThatCannotBeBuilt)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    for (const SphereCase& bad :
         {SphereCase{0.0, 4, 8}, SphereCase{-1.0, 4, 8}, SphereCase{nan, 4, 8}, SphereCase{infinity, 4, 8},
          SphereCase{1.0, 0, 8}, SphereCase{1.0, 4, 2}, SphereCase{1.0, 100000, 100000}})
        EXPECT_THROW(MeshCreator::createSphere(bad.radius, bad.rings, bad.segments), std::invalid_argument)
            << bad.radius << " " << bad.rings << " " << bad.segments;
}

}  // namespace
}  // namespace Tesselon
