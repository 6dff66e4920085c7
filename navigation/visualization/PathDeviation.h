#pragma once

#include <Eigen/Core>

#include <optional>
#include <string>

namespace Tesselon {

class Spline;

/// Where a tracked needle stands against its planned path (a line or a curve whose last point is the
/// target): the figures a user compares while advancing, and what studies record.
///
/// The tool frame has its origin at the tip and its z axis up the shaft, away from the tip, so the needle
/// advances along its -z axis.
struct PathDeviation
{
    /// Millimetres along the path from the point nearest the tip to the target.
    double depthRemaining = 0.0;
    /// Millimetres from the tip to the nearest point of the path.
    double lateralDistance = 0.0;
    /// Degrees between the needle's direction of advance and the path's direction at the nearest point.
    double axisAngleDegrees = 0.0;
    /// Millimetres from the target to where the needle's axis, extended both ways, crosses the plane through
    /// the target normal to the path; none while the axis runs (nearly) parallel to that plane.
    std::optional<double> projectedMiss;
    Eigen::Vector3d tip = Eigen::Vector3d::Zero();

    /// The figures of a tool pose against `path`; an empty path or a non-finite pose gives none.
    static std::optional<PathDeviation> measure(const Spline& path, const Eigen::Matrix4d& toolToWorld);

    /// One line for a panel, e.g. "Depth 42.0 mm · off path 1.3 mm · angle 2.1° · projected miss 0.8 mm".
    std::string summary() const;
};

}  // namespace Tesselon
