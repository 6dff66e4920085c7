#pragma once

#include <Eigen/Core>

namespace Tesselon {

/// Where the pointer tool is in one animation frame, in tool lengths. The floor is the plane z = 0
/// and the dip is at the origin.
struct ToolPose
{
    Eigen::Vector3d tip = Eigen::Vector3d::Zero();
    /// Columns are the tool's axes in world coordinates; the third is the shaft from tip to handle.
    Eigen::Matrix3d orientation = Eigen::Matrix3d::Identity();

    Eigen::Vector3d shaftAxis() const { return orientation.col(2); }
    Eigen::Vector3d toWorld(const Eigen::Vector3d& local) const { return tip + orientation * local; }
};

}  // namespace Tesselon
