#pragma once

#include <Eigen/Core>

#include <string>
#include <vector>

namespace Tesselon {

/// Labelled 3D points in world coordinates (LPS, millimetres), held independently of their file format:
/// fiducials, landmarks, or the ordered points of a line or curve.
struct PointList
{
    struct Point
    {
        Eigen::Vector3d position = Eigen::Vector3d::Zero();
        std::string label;

        bool operator==(const Point& other) const
        {
            return position == other.position && label == other.label;
        }
    };

    std::vector<Point> points;
    /// The file the points were read from, for messages; empty when the list was built in memory.
    std::string sourceName;
};

}  // namespace Tesselon
