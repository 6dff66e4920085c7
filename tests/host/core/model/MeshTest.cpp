#include "host/core/model/Mesh.h"

#include <gtest/gtest.h>

#include <limits>

namespace Tesselon {
namespace {

// Two faces around vertex 0: a large one in the xy plane (normal +z) and a small one in the xz plane
// (normal +y), a degenerate face and an isolated vertex.
Mesh hinge()
{
    return Mesh({{0, 0, 0}, {4, 0, 0}, {0, 4, 0}, {0, 0, 1}, {9, 9, 9}, {8, 0, 0}},
                {{0, 1, 2}, {0, 3, 1}, {0, 1, 5}});
}

TEST(Mesh, VertexNormalsWeighFacesByAreaIgnoringDegenerateOnesAndBadInputIsRejected)
{
    Mesh mesh = hinge();
    mesh.computeVertexNormals();
    // Areas 8 and 2: the shared vertices lean four times as far towards +z as towards +y.
    const Eigen::Vector3d shared = Eigen::Vector3d(0, 1, 4).normalized();
    EXPECT_LT((mesh.normals()[0] - shared).norm(), 1e-12);
    EXPECT_LT((mesh.normals()[1] - shared).norm(), 1e-12);
    EXPECT_LT((mesh.normals()[2] - Eigen::Vector3d::UnitZ()).norm(), 1e-12);
    EXPECT_LT((mesh.normals()[3] - Eigen::Vector3d::UnitY()).norm(), 1e-12);
    EXPECT_EQ(mesh.normals()[4], Eigen::Vector3d::Zero());  // isolated
    EXPECT_EQ(mesh.normals()[5], Eigen::Vector3d::Zero());  // only on the degenerate face

    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(Mesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 3}}), std::invalid_argument);
    EXPECT_THROW(Mesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, -1, 2}}), std::invalid_argument);
    EXPECT_THROW(Mesh({{0, 0, 0}, {1, nan, 0}, {0, 1, 0}}, {{0, 1, 2}}), std::invalid_argument);
    Mesh fresh = hinge();
    EXPECT_THROW(fresh.setNormals({{0, 0, 1}}), std::invalid_argument);
    EXPECT_FALSE(fresh.hasNormals());
}

}  // namespace
}  // namespace Tesselon
