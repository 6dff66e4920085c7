#pragma once

#include "host/core/base/SignalReceiver.h"
#include "host/stream/TrackingStream.h"

#include <memory>
#include <mutex>

namespace Tesselon {

class TrackingStreamData;

/// What the recorders of a tracking stream share: its samples reach `recordLocked` between `start` and
/// `stop`, on the stream's thread, under the mutex that also guards what the derived recorder keeps.
/// A derived recorder calls `disconnectAll` in its own destructor, before its members go.
class TrackingRecorder : public SignalReceiver
{
public:
    /// Starts a new recording, discarding the previous one.
    void start();
    /// Stops recording; what was recorded stays until the next start.
    void stop();
    bool isRecording() const;

protected:
    explicit TrackingRecorder(TrackingStream* stream);

    /// Forgets everything recorded; m_mutex held.
    virtual void clearLocked() = 0;
    /// Records one sample; m_mutex held.
    virtual void recordLocked(const TrackingStreamData& sample) = 0;

    mutable std::mutex m_mutex;

private:
    void onSample(const std::shared_ptr<const StreamData>& sample);

    bool m_recording = false;
};

}  // namespace Tesselon
