#pragma once

#include "host/core/io/TrackingRecording.h"
#include "host/stream/TrackingRecorder.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace Tesselon {

/// Records every sample of a tracking stream between `start` and `stop` as one frame of a
/// `TrackingRecording`, so a session can be saved to a sequence file and played back later
/// (`PlaybackTrackingStream`). Samples arrive on the stream's thread; every member may be called from any
/// thread.
class TrackingFrameRecorder : public TrackingRecorder
{
public:
    /// Appended to an instrument's ID to name its transform: "Stylus" is recorded as "StylusToTracker".
    static constexpr std::string_view transformSuffix = "ToTracker";

    /// `stream` must outlive the recorder.
    explicit TrackingFrameRecorder(TrackingStream* stream);
    ~TrackingFrameRecorder() override;

    /// A copy of the frames recorded so far.
    TrackingRecording recording() const;
    /// Writes the frames recorded so far through `TrackingRecordingFile::write`, in the format the
    /// extension names; throws `TrackingRecordingError` as that does (for example when an instrument ID
    /// holds a blank, which a sequence file key cannot).
    void save(const std::string& path) const;

    /// The name under which an instrument's pose is recorded: its own transform name, else "<id>ToTracker".
    static std::string transformName(const TrackingInstrument& instrument);

protected:
    void clearLocked() override;
    void recordLocked(const TrackingStreamData& sample) override;

private:
    /// Expects m_mutex held, because the first arrival is remembered.
    double timestampSecondsLocked(const TrackingStreamData& sample);

    // The arrival of the recording's first sample, for streams whose samples carry no device time.
    std::optional<std::chrono::steady_clock::time_point> m_firstArrival;
    TrackingRecording m_frames;
};

}  // namespace Tesselon
