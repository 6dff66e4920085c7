#pragma once

#include "host/core/base/Signal.h"
#include "host/core/base/SignalReceiver.h"
#include "host/stream/DwellDetector.h"

#include <QObject>

#include <deque>
#include <memory>
#include <mutex>

namespace Tesselon {

class PointsOnTrackingStream;
class StreamData;

/// Takes a tracked point by itself when the pointer's tip rests, so that one person holding the pointer
/// can register without touching the mouse. The stream's samples feed a `DwellDetector` with the chosen
/// instrument's trusted tip (as a live capture takes it); each rest's mean tip joins the tracked points on
/// the GUI thread, and moving on re-arms the capture. Samples without a trusted tip are skipped. The tip is
/// averaged over a fifth of a second first: a tracker's noise alone would otherwise break a rest.
class DwellCapture : public SignalReceiver
{
public:
    /// The set (and its stream) must outlive this object. Starts disabled.
    explicit DwellCapture(PointsOnTrackingStream& points);
    ~DwellCapture() override;
    DwellCapture(const DwellCapture&) = delete;
    DwellCapture& operator=(const DwellCapture&) = delete;

    /// Enabling watches from now on: a tip already resting must move on before it is taken.
    void setEnabled(bool enabled);
    bool isEnabled() const;
    /// Takes effect at once and re-arms the detector; unusable values fall back to the defaults, and
    /// `settings` gives what is in use.
    void setSettings(const DwellSettings& settings);
    DwellSettings settings() const;

    /// On the GUI thread, after the point joined the set: its index.
    Signal<int> captured;
    /// On the GUI thread: the tip left the rest it was captured at.
    Signal<> movedOn;

private:
    void onStreamData(const std::shared_ptr<const StreamData>& sample);
    void remember(double time, const Eigen::Vector3d& tip);
    /// The mean of the remembered tips from `time` on.
    Eigen::Vector3d meanSince(double time) const;

    PointsOnTrackingStream& m_points;
    mutable std::mutex m_mutex;
    bool m_enabled = false;
    DwellDetector m_detector;
    std::deque<DwellDetector::Sample> m_recent;
    // Guards the hand-overs queued to the GUI thread against this object's destruction.
    QObject m_guiContext;
};

}  // namespace Tesselon
