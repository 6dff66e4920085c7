#include "host/stream/TrackingFrameRecorder.h"

#include "host/core/io/TrackingRecordingFile.h"
#include "host/stream/TrackingStreamData.h"

#include <algorithm>

namespace Tesselon {

TrackingFrameRecorder::TrackingFrameRecorder(TrackingStream* stream) : TrackingRecorder(stream) {}

TrackingFrameRecorder::~TrackingFrameRecorder()
{
    // Before the members go: the slot may be running on the stream's thread.
    disconnectAll();
}

void TrackingFrameRecorder::clearLocked()
{
    m_frames = TrackingRecording{};
    m_firstArrival.reset();
}

TrackingRecording TrackingFrameRecorder::recording() const
{
    std::lock_guard lock(m_mutex);
    return m_frames;
}

void TrackingFrameRecorder::save(const std::string& path) const
{
    // Written from a copy, so the stream's thread is not held up by the file system.
    TrackingRecordingFile::write(recording(), path);
}

std::string TrackingFrameRecorder::transformName(const TrackingInstrument& instrument)
{
    if (!instrument.transformName.empty())
        return instrument.transformName;
    return instrument.id.ID() + std::string(transformSuffix);
}

double TrackingFrameRecorder::timestampSecondsLocked(const TrackingStreamData& sample)
{
    const auto arrival = std::chrono::steady_clock::now();
    if (!m_firstArrival)
        m_firstArrival = arrival;
    std::optional<DeviceTime> newest = newestTimestamp(sample.instruments());
    if (!newest)
        newest = sample.timestampDevice();
    if (newest)
        return std::chrono::duration<double>(*newest).count();
    // No device clock at all: the steady clock still orders the frames and keeps their spacing.
    return std::chrono::duration<double>(arrival - *m_firstArrival).count();
}

void TrackingFrameRecorder::recordLocked(const TrackingStreamData& sample)
{
    TrackingFrame frame;
    frame.timestamp = timestampSecondsLocked(sample);
    for (const TrackingInstrument& instrument : sample.instruments()) {
        TrackedTransform transform{transformName(instrument), instrument.matrix,
                                   instrument.visible && instrument.quality > 0.0};
        // A sample that repeats an ID means its last entry (see `TrackingStreamData::instrument`); a
        // frame holding a name twice could not be written.
        const auto same = std::find_if(frame.transforms.begin(), frame.transforms.end(),
                                       [&](const TrackedTransform& t) { return t.name == transform.name; });
        if (same != frame.transforms.end())
            *same = std::move(transform);
        else
            frame.transforms.push_back(std::move(transform));
    }
    m_frames.frames.push_back(std::move(frame));
}

}  // namespace Tesselon
