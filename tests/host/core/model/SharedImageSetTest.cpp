#include "host/core/model/SharedImageSet.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace Tesselon {
namespace {

// Voxel (i, j, k) of a 4 x 5 x n grid holds i + 4 j + 20 k, so a value tells where it is stored.
std::vector<float> indexValues(int slices)
{
    std::vector<float> values(static_cast<std::size_t>(20 * slices));
    for (std::size_t index = 0; index < values.size(); ++index)
        values[index] = static_cast<float>(index);
    return values;
}

TEST(SharedImageSet, StoresXFastestChecksBoundsPlacesVoxelsAndRefusesGridsThatDoNotAddUp)
{
    SharedImageSet volume({4, 5, 6}, {0.5, 1.5, 2}, indexValues(6));
    EXPECT_EQ(volume.kind(), Data::Kind::Volume);
    EXPECT_EQ(volume.voxelCount(), 120u);
    EXPECT_EQ(volume.valueAt(1, 2, 3), 69.0f);
    EXPECT_EQ(volume.valueAt(3, 4, 5), 119.0f);
    for (const auto& [i, j, k] :
         std::vector<std::array<int, 3>>{{-1, 0, 0}, {4, 0, 0}, {0, 5, 0}, {0, 0, 6}}) {
        try {
            volume.valueAt(i, j, k);
            ADD_FAILURE() << "no error for " << i << " " << j << " " << k;
        } catch (const std::out_of_range& error) {
            EXPECT_NE(std::string(error.what()).find("outside the image of 4 x 5 x 6 voxels"),
                      std::string::npos);
        }
    }
    EXPECT_EQ(SharedImageSet({4, 5, 1}, {1, 1, 1}, indexValues(1)).kind(), Data::Kind::Image);

    Eigen::Matrix4d pose;
    pose << 0, -1, 0, 10, 1, 0, 0, 20, 0, 0, 1, 30, 0, 0, 0, 1;
    volume.setMatrix(pose);

    const Eigen::Vector4d world = volume.voxelToWorld() * Eigen::Vector4d(1, 2, 3, 1);
    EXPECT_TRUE(world.isApprox(Eigen::Vector4d(7, 20.5, 36, 1))) << world.transpose();
    EXPECT_TRUE((volume.matrixFromWorld() * world).isApprox(Eigen::Vector4d(0.5, 3, 6, 1)));

    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(SharedImageSet({4, 0, 6}, {1, 1, 1}, {}), std::invalid_argument);
    EXPECT_THROW(SharedImageSet({4, 5, 6}, {1, -1, 1}, indexValues(6)), std::invalid_argument);
    EXPECT_THROW(SharedImageSet({4, 5, 6}, {1, 1, nan}, indexValues(6)), std::invalid_argument);
    EXPECT_THROW(SharedImageSet({4, 5, 6}, {1, 1, 1}, indexValues(5)), std::invalid_argument);
    // The voxel count overflows 64 bits, which must not wrap round to a small count.
    EXPECT_THROW(SharedImageSet({1 << 30, 1 << 30, 1 << 30}, {1, 1, 1}, {}), std::invalid_argument);
}

}  // namespace
}  // namespace Tesselon
