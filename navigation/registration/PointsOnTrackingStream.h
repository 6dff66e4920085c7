#pragma once

#include "host/core/base/SignalReceiver.h"
#include "host/core/model/PointsOnData.h"

#include <QObject>

#include <Eigen/Core>

#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace Tesselon {

class TrackingStream;
class TrackingStreamData;
struct TrackingInstrument;

/// Points touched with a tracked instrument on a live tracking stream: each is the instrument's calibrated
/// tip at capture time, in tracker coordinates or, with a relative instrument, in that instrument's frame.
/// Points keep the coordinates they were captured in.
///
/// The tracker id either follows the stream's main instrument (a change of main instrument clears the
/// points) or is chosen with `setTrackerId`. The ids may be read from stream threads; everything else
/// belongs to the GUI thread.
class PointsOnTrackingStream : public PointsOnData, public SignalReceiver
{
public:
    /// The stream must outlive the set.
    explicit PointsOnTrackingStream(TrackingStream& stream);
    ~PointsOnTrackingStream() override;

    void configure(const Properties* properties) override;
    void configuration(Properties* properties) const override;

    const std::vector<Eigen::Vector3d>& allPoints() const override { return m_worldPoints; }
    Data* data() const override;
    TrackingStream& stream() const { return m_stream; }
    void remove(int first, int last) override;

    /// Appends a point with an empty name and emits `pointsAdded` (n - 1, n).
    void addWorldPoint(const Eigen::Vector3d& point);
    /// Replaces point `index`, counted from the end when negative; out of range: logged, nothing changes.
    void setWorldPoint(const Eigen::Vector3d& point, int index);

    bool useMainInstrument() const;
    /// Switching either way adopts the stream's current main instrument, clearing the points if that
    /// changes the tracker id.
    void setUseMainInstrument(bool use);
    std::string trackerId() const;
    /// Refused (logged) while the main instrument is used.
    void setTrackerId(std::string id);
    std::optional<std::string> relativeTrackerId() const;
    void setRelativeTrackerId(std::optional<std::string> id);

    /// The calibrated tip of `pointer` (its pose times its calibration from the stream's calibration store,
    /// identity when it has none) in tracker coordinates or, with `relative`, in the relative instrument's
    /// marker frame. Nothing (logged) when a pose is not invertible or not finite. Any thread.
    std::optional<Eigen::Vector3d> tipPosition(const TrackingInstrument& pointer,
                                               const TrackingInstrument* relative) const;
    /// The chosen instrument's calibrated tip in a sample (see `tipPosition`), if the tracker trusts the
    /// instrument, and the relative one when set: seen, with a quality above 0.8. Any thread.
    std::optional<Eigen::Vector3d> trustedTip(const TrackingStreamData& sample) const;
    /// Hands a capture made on another thread to the GUI thread, where the point is appended; a failed
    /// capture (nothing) instead emits `pointsAdded` with (-1, -1), so that a waiting list can move on.
    /// Dropped if the set is destroyed first.
    void postCapture(std::optional<Eigen::Vector3d> point);

    /// Reads "Point" (appended when present) and "Name" (names the last point).
    void configurePoint(int i, const Properties& block) override;

private:
    void onMainInstrumentChanged(const std::string& id);
    void adoptTrackerId(const std::string& id);

    TrackingStream& m_stream;
    mutable std::mutex m_idMutex;
    bool m_useMainInstrument = true;
    std::string m_trackerId;
    std::optional<std::string> m_relativeTrackerId;
    std::vector<Eigen::Vector3d> m_worldPoints;
    // Guards main-instrument changes queued to the GUI thread against the set's destruction.
    QObject m_guiContext;
};

}  // namespace Tesselon
