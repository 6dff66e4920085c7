#include "host/stream/TrackingStreamRecorder.h"

#include "host/stream/TrackingStreamData.h"

#include <algorithm>
#include <chrono>

namespace Tesselon {

TrackingStreamRecorder::TrackingStreamRecorder(TrackingStream* stream)
    : TrackingRecorder(stream), m_stream(stream)
{
}

TrackingStreamRecorder::~TrackingStreamRecorder()
{
    disconnectAll();
}

void TrackingStreamRecorder::setRecordAllInstruments(bool all)
{
    std::lock_guard lock(m_mutex);
    m_recordAll = all;
}

void TrackingStreamRecorder::setRecordingInstrument(std::string id)
{
    std::lock_guard lock(m_mutex);
    m_instrumentId = std::move(id);
}

void TrackingStreamRecorder::clearLocked()
{
    m_sequences.clear();
}

std::vector<std::unique_ptr<Data>> TrackingStreamRecorder::takeOutput()
{
    std::lock_guard lock(m_mutex);
    std::vector<std::unique_ptr<Data>> output;
    for (auto& sequence : m_sequences)
        output.push_back(std::move(sequence));
    m_sequences.clear();
    return output;
}

bool TrackingStreamRecorder::wanted(const TrackingInstrument& instrument) const
{
    return m_recordAll || instrument.id.ID() == m_instrumentId;
}

void TrackingStreamRecorder::recordLocked(const TrackingStreamData& sample)
{
    for (const TrackingInstrument& instrument : sample.instruments()) {
        if (!wanted(instrument))
            continue;
        auto found = std::find_if(m_sequences.begin(), m_sequences.end(), [&](const auto& sequence) {
            return sequence->trackerId().ID() == instrument.id.ID();
        });
        if (found == m_sequences.end()) {
            m_sequences.push_back(std::make_unique<TrackingSequence>(
                instrument.id, m_stream->name() + " - " + instrument.id.name()));
            found = std::prev(m_sequences.end());
        }
        TrackingSequence::Sample recorded;
        recorded.markerToTracker = instrument.matrix;
        recorded.quality = instrument.visible ? instrument.quality : 0.0;
        if (const auto deviceTime = sample.timestampDevice())
            recorded.timestampSeconds = std::chrono::duration<double>(*deviceTime).count();
        recorded.components = sample.components();
        (*found)->add(std::move(recorded));
    }
}

}  // namespace Tesselon
