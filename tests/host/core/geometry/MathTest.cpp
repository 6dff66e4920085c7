#include "host/core/geometry/Math.h"
#include "host/core/geometry/Pose.h"

#include <gtest/gtest.h>

#include <Eigen/Geometry>

#include <algorithm>

namespace Tesselon {
namespace {

TEST(Math, TransformPointAffineIsUndoneByTheInverseBrightColoursOutshineMutedOnes)
{
    const Eigen::Matrix4d markerToTracker = Pose::eulerToMat({0, 0, 90}, {10, 20, 30});
    const Eigen::Vector3d point(1, 2, 3);
    const Eigen::Vector3d moved = Math::transformPointAffine(markerToTracker, point);
    EXPECT_TRUE(moved.isApprox(Eigen::Vector3d(8, 21, 33), 1e-15));

    const Eigen::Matrix4d general = Pose::eulerToMat({31, -7, 122}, {-4, 250, -1300});
    const Eigen::Matrix4d inverse = Eigen::Isometry3d(general).inverse().matrix();
    EXPECT_TRUE(Math::transformPointAffine(inverse, Math::transformPointAffine(general, point))
                    .isApprox(point, 1e-12));

    Eigen::Matrix4d transform = Pose::eulerToMat({0, 0, 0}, {1, 1, 1});
    transform.row(3) << 0.5, 0, 0, 2;
    EXPECT_EQ(Math::transformPointAffine(transform, Eigen::Vector3d(2, 0, 0)), Eigen::Vector3d(3, 1, 1));

    const auto bright = Math::generateUniqueColors(6, true);
    const auto muted = Math::generateUniqueColors(6, false);
    for (std::size_t i = 0; i < bright.size(); ++i) {
        EXPECT_GT(bright[i].maxCoeff(), muted[i].maxCoeff()) << i;
        // Saturation: how far the brightest channel stands above the dullest.
        EXPECT_GT(bright[i].maxCoeff() - bright[i].minCoeff(), muted[i].maxCoeff() - muted[i].minCoeff())
            << i;
    }
    EXPECT_TRUE(Math::generateUniqueColors(0, true).empty());
    EXPECT_TRUE(Math::generateUniqueColors(-3, false).empty());
}

struct ColorCase
{
    int count;
    bool bright;
    // Below what two neighbouring colours of a legend could still be told apart by.
    double minimumDistance;
};

class MathGenerateUniqueColors : public testing::TestWithParam<ColorCase>
{
};

TEST_P(MathGenerateUniqueColors, GivesInRangePairwiseDistinctColoursWhoseEveryPrefixIsStable)
{
    const ColorCase& c = GetParam();
    const std::vector<Eigen::Vector3d> colors = Math::generateUniqueColors(c.count, c.bright);
    ASSERT_EQ(colors.size(), static_cast<std::size_t>(c.count));
    for (std::size_t i = 0; i < colors.size(); ++i) {
        EXPECT_GE(colors[i].minCoeff(), 0.0) << i;
        EXPECT_LE(colors[i].maxCoeff(), 1.0) << i;
        for (std::size_t j = i + 1; j < colors.size(); ++j)
            EXPECT_GT((colors[i] - colors[j]).norm(), c.minimumDistance) << i << " and " << j;
    }
    const std::vector<Eigen::Vector3d> fewer = Math::generateUniqueColors(c.count - 1, c.bright);
    EXPECT_TRUE(std::equal(fewer.begin(), fewer.end(), colors.begin()));
}

INSTANTIATE_TEST_SUITE_P(Counts, MathGenerateUniqueColors,
                         testing::Values(ColorCase{2, true, 0.5}, ColorCase{12, true, 0.15},
                                         ColorCase{2, false, 0.3}, ColorCase{12, false, 0.05}));

}  // namespace
}  // namespace Tesselon
