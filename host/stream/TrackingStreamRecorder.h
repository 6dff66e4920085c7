#pragma once

#include "host/stream/TrackingRecorder.h"
#include "host/stream/TrackingSequence.h"

#include <memory>
#include <string>
#include <vector>

namespace Tesselon {

/// Records the samples of a tracking stream between `start` and `stop` into one `TrackingSequence` per
/// instrument: all instruments, or only the chosen one. Samples arrive on the stream's thread.
class TrackingStreamRecorder : public TrackingRecorder
{
public:
    explicit TrackingStreamRecorder(TrackingStream* stream);
    ~TrackingStreamRecorder() override;

    void setRecordAllInstruments(bool all);
    /// The instrument recorded when not recording all of them, by ID.
    void setRecordingInstrument(std::string id);

    /// The recorded sequences (one per recorded instrument, in order of first appearance); the caller
    /// owns them and the recorder forgets them.
    std::vector<std::unique_ptr<Data>> takeOutput();

protected:
    void clearLocked() override;
    void recordLocked(const TrackingStreamData& sample) override;

private:
    bool wanted(const TrackingInstrument& instrument) const;

    TrackingStream* m_stream;
    bool m_recordAll = true;
    std::string m_instrumentId;
    std::vector<std::unique_ptr<TrackingSequence>> m_sequences;
};

}  // namespace Tesselon
