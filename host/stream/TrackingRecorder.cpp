#include "host/stream/TrackingRecorder.h"

#include "host/stream/TrackingStreamData.h"

namespace Tesselon {

TrackingRecorder::TrackingRecorder(TrackingStream* stream)
{
    stream->newData.connect(this, [this](std::shared_ptr<const StreamData> sample) { onSample(sample); });
}

void TrackingRecorder::start()
{
    std::lock_guard lock(m_mutex);
    clearLocked();
    m_recording = true;
}

void TrackingRecorder::stop()
{
    std::lock_guard lock(m_mutex);
    m_recording = false;
}

bool TrackingRecorder::isRecording() const
{
    std::lock_guard lock(m_mutex);
    return m_recording;
}

void TrackingRecorder::onSample(const std::shared_ptr<const StreamData>& sample)
{
    const auto* tracking = dynamic_cast<const TrackingStreamData*>(sample.get());
    if (!tracking)
        return;
    std::lock_guard lock(m_mutex);
    if (m_recording)
        recordLocked(*tracking);
}

}  // namespace Tesselon
