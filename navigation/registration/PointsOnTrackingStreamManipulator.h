#pragma once

#include "host/core/model/PointsOnDataManipulator.h"

#include <memory>
#include <mutex>

namespace Tesselon {

class PointsOnTrackingStream;
class StreamData;

/// Adds points to a `PointsOnTrackingStream` with a tracked pointer: a point creation waits for the stream's
/// next tracking sample and takes the chosen instrument's calibrated tip from it, if the instrument (and the
/// relative instrument, when one is set) is seen there with a quality above 0.8. The sample decides either
/// way: a capture never outlives one tracking sample. The point reaches the set on the GUI thread.
class PointsOnTrackingStreamManipulator : public PointsOnDataManipulator
{
public:
    /// The set must outlive the manipulator.
    explicit PointsOnTrackingStreamManipulator(PointsOnTrackingStream& points);
    /// Shares the set.
    explicit PointsOnTrackingStreamManipulator(std::shared_ptr<PointsOnTrackingStream> points);
    ~PointsOnTrackingStreamManipulator() override;

    PointsOnTrackingStream& points() const { return m_points; }

    /// Waits for the next tracking sample; while a capture is pending, asking again changes nothing.
    void startPointCreation() override;
    void cancelPointCreation() override;
    bool isCreatingPoint() const override;
    /// Appends the point unchanged.
    void onCreatePointInteraction(const Eigen::Vector3d& worldPoint) override;
    void onMovePointInteraction(int index, const Eigen::Vector3d& point) override;
    /// The stream's matrix: the points are in tracker coordinates.
    Eigen::Matrix4d pointsToWorld() const override;

private:
    void capture(const std::shared_ptr<const StreamData>& sample);

    PointsOnTrackingStream& m_points;
    // Guards the pending flag and with it the subscription to the stream, which the GUI thread opens and
    // the stream's thread closes after its sample.
    mutable std::mutex m_captureMutex;
    bool m_capturePending = false;
};

}  // namespace Tesselon
