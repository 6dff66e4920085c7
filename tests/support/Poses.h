#pragma once

#include "host/stream/TrackingInstrument.h"

#include <Eigen/Geometry>

#include <cmath>
#include <numbers>
#include <random>

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

/// A random unit vector.
inline Eigen::Vector3d randomUnitVector(std::mt19937& random)
{
    std::normal_distribution<double> normal;
    Eigen::Vector3d axis;
    do {
        axis = {normal(random), normal(random), normal(random)};
    } while (axis.norm() < 1e-6);
    return axis.normalized();
}

/// A random pose: any rotation, translations within 500 mm.
inline Eigen::Matrix4d randomPose(std::mt19937& random)
{
    std::uniform_real_distribution<double> degrees(-180.0, 180.0);
    std::uniform_real_distribution<double> millimetres(-500.0, 500.0);
    const Eigen::Vector3d axis = randomUnitVector(random);
    return pose(axis, degrees(random), {millimetres(random), millimetres(random), millimetres(random)});
}

/// The rotation angle between two poses, in degrees.
inline double angleBetweenDegrees(const Eigen::Matrix4d& a, const Eigen::Matrix4d& b)
{
    const Eigen::Matrix3d relative = a.topLeftCorner<3, 3>().transpose() * b.topLeftCorner<3, 3>();
    return Eigen::AngleAxisd(relative).angle() * 180.0 / std::numbers::pi;
}

}  // namespace Tesselon::Test
