#include "host/core/PointsOnDataManipulator.h"

#include <stdexcept>

namespace Tesselon {

PointsOnDataManipulator::PointsOnDataManipulator(std::shared_ptr<PointsOnData> points)
    : m_points(std::move(points))
{
    if (!m_points)
        throw std::invalid_argument("A point-set manipulator needs a point set.");
}

PointsOnDataManipulator::~PointsOnDataManipulator() = default;

}  // namespace Tesselon
