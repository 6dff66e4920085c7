#include "host/core/model/PointsOnImageManipulator.h"

namespace Tesselon {

PointsOnImageManipulator::PointsOnImageManipulator(PointsOnImage& points, bool placeOnEveryClick)
    : PointsOnDataManipulator(points), m_points(points), m_placeOnEveryClick(placeOnEveryClick)
{
}

void PointsOnImageManipulator::onCreatePointInteraction(const Eigen::Vector3d& worldPoint)
{
    if (!isCreatingPoint() || !worldPoint.allFinite())
        return;
    m_creating = false;
    m_points.addPoint(worldPoint);
}

void PointsOnImageManipulator::onMovePointInteraction(int index, const Eigen::Vector3d& point)
{
    if (point.allFinite())
        m_points.setPoint(index, point);
}

}  // namespace Tesselon
