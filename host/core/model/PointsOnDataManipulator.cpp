#include "host/core/model/PointsOnDataManipulator.h"

#include "host/core/base/Log.h"

#include <stdexcept>

namespace Tesselon {
namespace {

PointsOnData* required(const std::shared_ptr<PointsOnData>& points)
{
    if (!points)
        throw std::invalid_argument("A point-set manipulator needs a point set.");
    return points.get();
}

}  // namespace

PointsOnDataManipulator::PointsOnDataManipulator(std::shared_ptr<PointsOnData> points)
    : m_sharedPoints(std::move(points)), m_points(required(m_sharedPoints))
{
}

PointsOnDataManipulator::PointsOnDataManipulator(PointsOnData& points) : m_points(&points) {}

PointsOnDataManipulator::~PointsOnDataManipulator() = default;

void PointsOnDataManipulator::onCreatePointInteraction(const Eigen::Vector3d&)
{
    Log::warning("PointsOnDataManipulator", "This kind of point set cannot take points placed in a view.");
}

void PointsOnDataManipulator::onMovePointInteraction(int, const Eigen::Vector3d&)
{
    Log::warning("PointsOnDataManipulator", "This kind of point set cannot move its points in a view.");
}

}  // namespace Tesselon
