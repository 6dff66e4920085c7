#pragma once

#include "host/core/base/SignalReceiver.h"
#include "host/stream/Stream.h"
#include "host/stream/TrackingStreamData.h"

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <vector>

namespace Tesselon::Test {

/// Keeps every sample a stream emits, from whichever thread emits it.
class SampleRecorder : public SignalReceiver
{
public:
    explicit SampleRecorder(Stream& stream) { stream.newData.connect(this, &SampleRecorder::record); }
    ~SampleRecorder() override { disconnectAll(); }

    void record(std::shared_ptr<const StreamData> sample)
    {
        std::lock_guard lock(m_mutex);
        m_samples.push_back(std::move(sample));
    }

    std::size_t count() const
    {
        std::lock_guard lock(m_mutex);
        return m_samples.size();
    }

    std::vector<std::shared_ptr<const StreamData>> samples() const
    {
        std::lock_guard lock(m_mutex);
        return m_samples;
    }

    /// The tracking samples in order; samples of other types are skipped.
    std::vector<std::shared_ptr<const TrackingStreamData>> trackingSamples() const
    {
        std::vector<std::shared_ptr<const TrackingStreamData>> tracking;
        for (const auto& sample : samples())
            if (auto typed = std::dynamic_pointer_cast<const TrackingStreamData>(sample))
                tracking.push_back(std::move(typed));
        return tracking;
    }

    /// The last tracking sample, or null.
    std::shared_ptr<const TrackingStreamData> last() const
    {
        const auto tracking = trackingSamples();
        return tracking.empty() ? nullptr : tracking.back();
    }

    /// The one tracking sample that `emission` makes the stream send; a test failure, and a sample without
    /// instruments, when it sends none or several.
    template <class Emission>
    std::shared_ptr<const TrackingStreamData> onlySampleFrom(Emission&& emission)
    {
        const std::size_t before = count();
        emission();
        if (count() != before + 1) {
            ADD_FAILURE() << "expected exactly one sample, got " << count() - before;
            return std::make_shared<TrackingStreamData>(nullptr, std::vector<TrackingInstrument>{});
        }
        return last();
    }

    void clear()
    {
        std::lock_guard lock(m_mutex);
        m_samples.clear();
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::shared_ptr<const StreamData>> m_samples;
};

}  // namespace Tesselon::Test
