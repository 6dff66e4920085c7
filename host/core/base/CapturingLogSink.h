#pragma once

#include "host/core/base/LogSink.h"

#include <mutex>
#include <vector>

namespace Tesselon {

/// Collects log messages so tests can assert exact texts (see `LogCapture` in tests/support).
class CapturingLogSink : public LogSink
{
public:
    void write(const LogMessage& message) override;
    std::vector<LogMessage> messages() const;
    /// How many captured messages have exactly this text.
    int count(const std::string& text) const;
    /// Whether a captured message contains this fragment.
    bool contains(const std::string& fragment) const;
    void clear();

private:
    mutable std::mutex m_mutex;
    std::vector<LogMessage> m_messages;
};

}  // namespace Tesselon
