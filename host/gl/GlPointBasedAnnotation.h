#pragma once

#include "host/gl/GlObject.h"

#include <cstdint>
#include <vector>

namespace Tesselon {

/// Base of the annotations defined by a list of points in object coordinates (lines, splines, points).
/// Manipulators edit the points; the renderer draws them with the point size, line width and pattern.
class GlPointBasedAnnotation : public GlObject
{
public:
    explicit GlPointBasedAnnotation(std::string name = {});

    const std::vector<Eigen::Vector3d>& points() const { return m_points; }
    /// Appends a point; a non-finite point is logged and ignored.
    void addPoint(const Eigen::Vector3d& point);
    /// Replaces all points; a list with a non-finite point is logged and ignored as a whole.
    void setPoints(const std::vector<Eigen::Vector3d>& points);
    /// Moves one point; an index out of range or a non-finite point is logged and ignored.
    void setPoint(int index, const Eigen::Vector3d& point);
    /// Removes one point; an index out of range is logged and ignored.
    void removePoint(int index);

    /// Diameter of the drawn points in pixels.
    double pointSize() const { return m_pointSize; }
    /// Negative or non-finite sizes are logged and ignored.
    void setPointSize(double size);

    /// Whether the annotation's length is shown next to it.
    bool showsDistanceLabel() const { return m_distanceLabel; }
    void setShowDistanceLabel(bool show);

    /// Stipple pattern of the lines: 16 bits, each bit `linePatternFactor` pixels long; 0xFFFF is solid.
    std::uint16_t linePattern() const { return m_linePattern; }
    double linePatternFactor() const { return m_linePatternFactor; }
    /// A factor below 1 or non-finite is logged and the pattern left unchanged.
    void setLinePattern(std::uint16_t pattern, double factor);

private:
    bool acceptPoint(const Eigen::Vector3d& point) const;
    bool acceptIndex(int index) const;

    std::vector<Eigen::Vector3d> m_points;
    double m_pointSize = 5.0;
    bool m_distanceLabel = true;
    std::uint16_t m_linePattern = 0xFFFF;
    double m_linePatternFactor = 1.0;
};

}  // namespace Tesselon
