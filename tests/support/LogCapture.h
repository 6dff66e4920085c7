#pragma once

#include "host/core/base/CapturingLogSink.h"
#include "host/core/base/Log.h"

#include <memory>

namespace Tesselon::Test {

/// Captures every log message for as long as it lives; debug messages included.
class LogCapture
{
public:
    LogCapture() : m_previousLevel(Log::minimumLevel())
    {
        Log::setMinimumLevel(Log::Debug);
        Log::addSink(m_sink);
    }
    ~LogCapture()
    {
        Log::removeSink(m_sink);
        Log::setMinimumLevel(m_previousLevel);
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    CapturingLogSink& sink() { return *m_sink; }
    CapturingLogSink* operator->() { return m_sink.get(); }

private:
    std::shared_ptr<CapturingLogSink> m_sink = std::make_shared<CapturingLogSink>();
    int m_previousLevel;
};

}  // namespace Tesselon::Test
