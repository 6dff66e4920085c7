#include "navigation/visualization/BullseyeVisualizationAlgorithm.h"
#include "navigation/visualization/ToolNavigationVisualizationAlgorithm.h"

#include "host/core/config/Properties.h"
#include "host/core/model/DataList.h"
#include "host/core/model/SharedImageSet.h"
#include "tests/support/ManualTrackingStream.h"
#include "tests/support/Poses.h"

#include <gtest/gtest.h>

#include <Eigen/Geometry>

using namespace Tesselon;
using namespace Tesselon::Test;

namespace {

SharedImageSet volume()
{
    return SharedImageSet({2, 2, 2}, Eigen::Vector3d(1, 1, 1), std::vector<float>(8, 0.0f));
}

bool isRotation(const Eigen::Matrix4d& pose)
{
    const Eigen::Matrix3d rotation = pose.topLeftCorner<3, 3>();
    return pose.allFinite() && (rotation.transpose() * rotation).isIdentity(1e-12) &&
           std::abs(rotation.determinant() - 1.0) < 1e-12;
}

class BullseyeTest : public testing::Test
{
protected:
    BullseyeTest() { bullseye.setLinePoints(a, b); }

    ManualTrackingStream stream;
    SharedImageSet image = volume();
    BullseyeVisualizationAlgorithm bullseye{&stream, &image};
    const Eigen::Vector3d a{10, 20, 30};
    const Eigen::Vector3d b{10, 80, 110};  // 100 mm from A
    const Eigen::Vector3d direction = (b - a).normalized();
};

TEST_F(BullseyeTest, CameraSitsOnThePathBeyondTheTargetLookingBack)
{
    for (const double distance : {0.0, 100.0}) {
        const Eigen::Matrix4d camera = bullseye.createLookAtAlongNeedle(distance);
        EXPECT_TRUE(isRotation(camera));
        EXPECT_TRUE(camera.col(3).head<3>().isApprox(b + (150.0 + distance) * direction));
        EXPECT_TRUE(camera.col(2).head<3>().isApprox(direction)) << "local z points from A back to the eye";
    }
    EXPECT_DOUBLE_EQ(bullseye.annotationLineDistance(), 200.0);
}

TEST_F(BullseyeTest, LookingAlongTheUpVectorStillGivesARotation)
{
    const Eigen::Matrix4d down =
        BullseyeVisualizationAlgorithm::createLookAt({0, 0, 100}, {0, 0, 0}, {0, 0, 1});
    EXPECT_TRUE(isRotation(down));
    EXPECT_TRUE(down.col(2).head<3>().isApprox(Eigen::Vector3d::UnitZ()));

    bullseye.setLinePoints(a, a);
    const Eigen::Matrix4d degenerate = bullseye.createLookAtAlongNeedle(0.0);
    EXPECT_TRUE(degenerate.allFinite());
    EXPECT_EQ(degenerate.col(3).head<3>(), a);
    Eigen::Vector2d tip, back;
    bullseye.computeOverlayParameters(tip, back, pose({1, 0, 0}, 30, {5, 5, 5}));
    EXPECT_TRUE(tip.allFinite() && back.allFinite());
    EXPECT_EQ(tip.y(), 0.0);
    EXPECT_EQ(back.y(), 0.0);
}

TEST_F(BullseyeTest, OverlayGivesDepthAlongThePathAndOffsetAcrossIt)
{
    // A needle on the path, pointing back up it: depth grows from A, no offset, its back 50 mm shallower.
    const Eigen::Matrix4d onPath = (Eigen::Translation3d(a + 40 * direction) *
                                    Eigen::Quaterniond::FromTwoVectors(Eigen::Vector3d::UnitZ(), -direction))
                                       .matrix();
    Eigen::Vector2d tip, back;
    bullseye.computeOverlayParameters(tip, back, onPath);
    EXPECT_TRUE(tip.isApprox(Eigen::Vector2d(0, 40)));
    EXPECT_TRUE(back.isApprox(Eigen::Vector2d(0, -10), 1e-12));

    // Moved 3 mm off the path: the tip's offset is -3 and its back's, parallel, the same.
    Eigen::Matrix4d offPath = onPath;
    offPath.block<3, 1>(0, 3) += Eigen::Vector3d(3, 0, 0);
    bullseye.computeOverlayParameters(tip, back, offPath);
    EXPECT_TRUE(tip.isApprox(Eigen::Vector2d(-3, 40)));
    EXPECT_NEAR(back.x(), -3.0, 1e-12);
}

TEST_F(BullseyeTest, ConfigurationKeepsTheToolMeshUnderItsOwnKeyOnly)
{
    Properties saved;
    bullseye.toolVisAlg().trackingTargetId = "Needle";
    bullseye.needleLength = 75.0;
    bullseye.configuration(&saved);
    EXPECT_FALSE(saved.hasParam("mesh"));
    EXPECT_EQ(saved.paramText("toolMeshPath"), std::optional<std::string>(":/TrackingPointerExtended.obj"));

    saved.setParam("mesh", "ignored.obj");
    saved.setParam("toolMeshPath", ":/Custom.obj");
    BullseyeVisualizationAlgorithm restored(&stream, &image);
    restored.configure(&saved);
    EXPECT_EQ(restored.toolVisAlg().mesh.value(), ":/Custom.obj");
    EXPECT_EQ(restored.toolVisAlg().trackingTargetId.value(), "Needle");
    EXPECT_EQ(restored.needleLength.value(), 75.0);
}

TEST(NavigationVisualization, ConfigurationRoundTripsTheEmbeddedToolWithItsMeshPath)
{
    ManualTrackingStream stream;
    ToolNavigationVisualizationAlgorithm navigation(&stream);
    navigation.toolMeshPath = ":/Needle.obj";
    navigation.toolVisualization().trackingTargetRelId = "Reference";
    navigation.toolVisualization().linkWithRot = false;
    Properties saved;
    navigation.configuration(&saved);
    EXPECT_FALSE(saved.hasParam("mesh"));

    ToolNavigationVisualizationAlgorithm restored(&stream);
    restored.configure(&saved);
    EXPECT_EQ(restored.toolVisualization().mesh.value(), ":/Needle.obj");
    EXPECT_EQ(restored.toolVisualization().trackingTargetRelId.value(), "Reference");
    EXPECT_FALSE(restored.toolVisualization().linkWithRot.value());
}

}  // namespace
