#include "host/gl/GlPointBasedAnnotation.h"

#include <algorithm>
#include <cmath>

namespace Tesselon {

namespace {

constexpr const char* category = "GlPointBasedAnnotation";

}  // namespace

GlPointBasedAnnotation::GlPointBasedAnnotation(std::string name) : GlObject(std::move(name)) {}

void GlPointBasedAnnotation::addPoint(const Eigen::Vector3d& point)
{
    if (!acceptPoint(point))
        return;
    m_points.push_back(point);
    changed.emitSignal();
}

void GlPointBasedAnnotation::setPoints(const std::vector<Eigen::Vector3d>& points)
{
    const bool allFinite =
        std::all_of(points.begin(), points.end(), [](const auto& p) { return p.allFinite(); });
    if (!allFinite) {
        reject(category, "Ignoring a point list with non-finite coordinates.");
        return;
    }
    assign(m_points, points);
}

void GlPointBasedAnnotation::setPoint(int index, const Eigen::Vector3d& point)
{
    if (acceptIndex(index) && acceptPoint(point))
        assign(m_points[static_cast<std::size_t>(index)], point);
}

void GlPointBasedAnnotation::removePoint(int index)
{
    if (!acceptIndex(index))
        return;
    m_points.erase(m_points.begin() + index);
    changed.emitSignal();
}

void GlPointBasedAnnotation::setPointSize(double size)
{
    if (!std::isfinite(size) || size < 0.0) {
        reject(category, "Ignoring a negative or non-finite point size.");
        return;
    }
    assign(m_pointSize, size);
}

void GlPointBasedAnnotation::setShowDistanceLabel(bool show)
{
    assign(m_distanceLabel, show);
}

void GlPointBasedAnnotation::setLinePattern(std::uint16_t pattern, double factor)
{
    if (!std::isfinite(factor) || factor < 1.0) {
        reject(category, "Ignoring a line pattern factor below 1 or non-finite.");
        return;
    }
    if (pattern == m_linePattern && factor == m_linePatternFactor)
        return;
    m_linePattern = pattern;
    m_linePatternFactor = factor;
    changed.emitSignal();
}

bool GlPointBasedAnnotation::acceptPoint(const Eigen::Vector3d& point) const
{
    return point.allFinite() || reject(category, "Ignoring a point with non-finite coordinates.");
}

bool GlPointBasedAnnotation::acceptIndex(int index) const
{
    return (index >= 0 && static_cast<std::size_t>(index) < m_points.size()) ||
           reject(category, "Ignoring point index " + std::to_string(index) + " of an annotation with " +
                                std::to_string(m_points.size()) + " points.");
}

}  // namespace Tesselon
