#pragma once

#include "host/stream/TrackingInstrument.h"

#include <Eigen/Geometry>

#include <cmath>
#include <numbers>

namespace Tesselon::Test {

/// A pose rotating by `degrees` about `axis`, then translating.
inline Eigen::Matrix4d pose(const Eigen::Vector3d& axis, double degrees, const Eigen::Vector3d& translation)
{
    Eigen::Matrix4d matrix = Eigen::Matrix4d::Identity();
    matrix.topLeftCorner<3, 3>() =
        Eigen::AngleAxisd(degrees * std::numbers::pi / 180.0, axis.normalized()).toRotationMatrix();
    matrix.topRightCorner<3, 1>() = translation;
    return matrix;
}

inline Eigen::Matrix4d translation(double x, double y, double z)
{
    return pose(Eigen::Vector3d::UnitZ(), 0.0, {x, y, z});
}

/// A visible instrument with this ID, name, pose and quality.
inline TrackingInstrument instrument(const std::string& id, const Eigen::Matrix4d& matrix,
                                     double quality = 1.0, const std::string& name = "")
{
    TrackingInstrument result;
    result.id = TrackerID(id, "", name.empty() ? id : name);
    result.matrix = matrix;
    result.quality = quality;
    return result;
}

/// The rotation angle between two poses, in degrees.
inline double angleBetweenDegrees(const Eigen::Matrix4d& a, const Eigen::Matrix4d& b)
{
    const Eigen::Matrix3d relative = a.topLeftCorner<3, 3>().transpose() * b.topLeftCorner<3, 3>();
    return Eigen::AngleAxisd(relative).angle() * 180.0 / std::numbers::pi;
}

}  // namespace Tesselon::Test
