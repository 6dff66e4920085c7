#include "navigation/registration/PointsOnTrackingStreamManipulator.h"

#include "host/stream/TrackingStream.h"
#include "host/stream/TrackingStreamData.h"
#include "navigation/registration/PointsOnTrackingStream.h"

namespace Tesselon {
namespace {

// A pose the tracker itself doubts is no ground for a registration point.
constexpr double minimumQuality = 0.8;

std::optional<TrackingInstrument> trustedInstrument(const TrackingStreamData& sample, const std::string& id)
{
    auto instrument = sample.instrument(id);
    if (!instrument || !instrument->visible || !(instrument->quality > minimumQuality))
        return std::nullopt;
    return instrument;
}

}  // namespace

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
    std::optional<Eigen::Vector3d> tip;
    if (const auto pointer = trustedInstrument(*tracking, m_points.trackerId())) {
        const auto relativeId = m_points.relativeTrackerId();
        const auto relative = relativeId ? trustedInstrument(*tracking, *relativeId) : std::nullopt;
        if (!relativeId || relative)
            tip = m_points.tipPosition(*pointer, relative ? &*relative : nullptr);
    }
    std::lock_guard lock(m_captureMutex);
    if (!m_capturePending)
        return;
    m_capturePending = false;
    m_points.stream().newData.disconnect(this);
    m_points.postCapture(tip);
}

}  // namespace Tesselon
