#include "host/gl/PointViews.h"

#include "host/core/geometry/Math.h"
#include "host/core/model/PointsOnDataManipulator.h"
#include "host/gl/DisplayWidgetMulti.h"

#include <Eigen/LU>

namespace Tesselon {
namespace {

constexpr double markerSize = 9.0;
constexpr double selectedMarkerSize = 16.0;
// Slice views show what lies this close to their plane (mm); only that can be grabbed there.
constexpr double planeSlab = 1.0;

}  // namespace

PointViews::PointViews(PointsOnDataManipulator& manipulator, DisplayWidgetMulti& display)
    : m_manipulator(manipulator), m_display(display)
{
    PointsOnData& points = m_manipulator.pointHandler();
    for (Signal<int, int>* change : {&points.pointsAdded, &points.pointsChanged, &points.pointsRemoved})
        change->connect(this, [this](int, int) { refresh(); });
    m_display.addInteraction(this);
    refresh();
}

PointViews::~PointViews()
{
    disconnectAll();
    m_display.removeInteraction(this);
    for (const auto& marker : m_markers)
        m_display.viewGroup()->removeObject(marker.get());
}

void PointViews::refresh()
{
    const std::vector<Eigen::Vector3d>& points = m_manipulator.pointHandler().allPoints();
    ViewGroup& group = *m_display.viewGroup();
    while (m_markers.size() > points.size()) {
        group.removeObject(m_markers.back().get());
        m_markers.pop_back();
    }
    while (m_markers.size() < points.size()) {
        m_markers.push_back(std::make_unique<GlPoint>());
        group.addObject(m_markers.back().get());
    }
    const Eigen::Matrix4d pointsToWorld = m_manipulator.pointsToWorld();
    for (std::size_t i = 0; i < points.size(); ++i) {
        m_markers[i]->setPoint(Math::transformPointAffine(pointsToWorld, points[i]));
        styleMarker(static_cast<int>(i));
    }
    m_display.update();
}

void PointViews::styleMarker(int index)
{
    GlPoint& marker = *m_markers[static_cast<std::size_t>(index)];
    marker.setColor(m_manipulator.pointColor());
    marker.setPointSize(m_selected == index ? selectedMarkerSize : markerSize);
    marker.setShowDistanceLabel(false);
}

void PointViews::setSelected(std::optional<int> index)
{
    m_selected = index;
    for (int i = 0; i < static_cast<int>(m_markers.size()); ++i)
        styleMarker(i);
    m_display.update();
}

std::optional<int> PointViews::markerNear(const GlSliceView& view, const Eigen::Vector3d& world,
                                          double tolerance) const
{
    const Eigen::Vector3d origin = view.matrix().topRightCorner<3, 1>();
    const Eigen::Vector3d normal = view.normal().normalized();
    std::optional<int> nearest;
    double nearestDistance = tolerance;
    for (int i = 0; i < static_cast<int>(m_markers.size()); ++i) {
        const Eigen::Vector3d point = m_markers[static_cast<std::size_t>(i)]->point();
        const double distance = (point - world).norm();
        if (std::abs(normal.dot(point - origin)) <= planeSlab && distance <= nearestDistance) {
            nearest = i;
            nearestDistance = distance;
        }
    }
    return nearest;
}

bool PointViews::press(const GlSliceView& view, const Eigen::Vector3d& world, double tolerance)
{
    m_dragged = markerNear(view, world, tolerance);
    if (m_dragged)
        return true;
    if (!m_manipulator.placesPointsByClick() || !m_manipulator.isCreatingPoint())
        return false;
    m_manipulator.onCreatePointInteraction(world);
    return true;
}

void PointViews::drag(const Eigen::Vector3d& world)
{
    if (!m_dragged || !world.allFinite())
        return;
    const Eigen::Matrix4d worldToPoints = m_manipulator.pointsToWorld().inverse();
    m_manipulator.onMovePointInteraction(*m_dragged, Math::transformPointAffine(worldToPoints, world));
}

}  // namespace Tesselon
