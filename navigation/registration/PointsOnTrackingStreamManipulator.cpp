#include "navigation/registration/PointsOnTrackingStreamManipulator.h"

#include "host/stream/TrackingStream.h"
#include "host/stream/TrackingStreamData.h"
#include "navigation/registration/PointsOnTrackingStream.h"

namespace Tesselon {
PointsOnTrackingStreamManipulator::PointsOnTrackingStreamManipulator(PointsOnTrackingStream& points)
    : PointsOnDataManipulator(points), m_points(points)
{
}

PointsOnTrackingStreamManipulator::PointsOnTrackingStreamManipulator(
    std::shared_ptr<PointsOnTrackingStream> points)
    : PointsOnDataManipulator(points), m_points(*points)
{
}

PointsOnTrackingStreamManipulator::~PointsOnTrackingStreamManipulator()
{
    disconnectAll();
}

void PointsOnTrackingStreamManipulator::startPointCreation()
{
    std::lock_guard lock(m_captureMutex);
    if (m_capturePending)
        return;
    m_capturePending = true;
    m_points.stream().newData.connect(this, &PointsOnTrackingStreamManipulator::capture);
}

void PointsOnTrackingStreamManipulator::cancelPointCreation()
{
    {
        std::lock_guard lock(m_captureMutex);
        m_capturePending = false;
    }
    // Unlocked: disconnecting waits for a capture running on the stream's thread, which takes the lock.
    m_points.stream().newData.disconnect(this);
}

bool PointsOnTrackingStreamManipulator::isCreatingPoint() const
{
    std::lock_guard lock(m_captureMutex);
    return m_capturePending;
}

void PointsOnTrackingStreamManipulator::onCreatePointInteraction(const Eigen::Vector3d& worldPoint)
{
    m_points.addWorldPoint(worldPoint);
}

void PointsOnTrackingStreamManipulator::capture(const std::shared_ptr<const StreamData>& sample)
{
    const auto tracking = std::dynamic_pointer_cast<const TrackingStreamData>(sample);
    if (!tracking)
        return;
    const std::optional<Eigen::Vector3d> tip = m_points.trustedTip(*tracking);
    std::lock_guard lock(m_captureMutex);
    if (!m_capturePending)
        return;
    m_capturePending = false;
    m_points.stream().newData.disconnect(this);
    m_points.postCapture(tip);
}

void PointsOnTrackingStreamManipulator::onMovePointInteraction(int index, const Eigen::Vector3d& point)
{
    m_points.setWorldPoint(point, index);
}

Eigen::Matrix4d PointsOnTrackingStreamManipulator::pointsToWorld() const
{
    return m_points.stream().matrix();
}

}  // namespace Tesselon
