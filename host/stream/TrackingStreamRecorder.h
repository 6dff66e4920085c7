#pragma once

#include "host/core/SignalReceiver.h"
#include "host/stream/TrackingSequence.h"
#include "host/stream/TrackingStream.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Tesselon {

/// Records the samples of a tracking stream between `start` and `stop` into one `TrackingSequence` per
/// instrument: all instruments, or only the chosen one. Samples arrive on the stream's thread.
class TrackingStreamRecorder : public SignalReceiver
{
public:
    explicit TrackingStreamRecorder(TrackingStream* stream);
    ~TrackingStreamRecorder() override;

    void setRecordAllInstruments(bool all);
    /// The instrument recorded when not recording all of them, by ID.
    void setRecordingInstrument(std::string id);

    /// Starts a new recording, discarding anything not taken yet.
    void start();
    void stop();
    bool isRecording() const;

    /// The recorded sequences (one per recorded instrument, in order of first appearance); the caller
    /// owns them and the recorder forgets them.
    std::vector<std::unique_ptr<Data>> takeOutput();

private:
    void onSample(const std::shared_ptr<const StreamData>& sample);
    bool wanted(const TrackingInstrument& instrument) const;

    TrackingStream* m_stream;
    mutable std::mutex m_mutex;
    bool m_recording = false;
    bool m_recordAll = true;
    std::string m_instrumentId;
    std::vector<std::unique_ptr<TrackingSequence>> m_sequences;
};

}  // namespace Tesselon
