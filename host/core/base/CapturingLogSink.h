#pragma once

#include "host/core/base/LogSink.h"

#include <cstddef>
#include <deque>
#include <limits>
#include <mutex>
#include <vector>

namespace Tesselon {

/// Collects log messages so tests can assert exact texts (see `LogCapture` in tests/support), and keeps
/// the recent log for window scripts.
class CapturingLogSink : public LogSink
{
public:
    /// Keeps the newest `capacity` messages, so a sink left installed in a long session stays bounded.
    explicit CapturingLogSink(std::size_t capacity = std::numeric_limits<std::size_t>::max())
        : m_capacity(capacity)
    {
    }

    void write(const LogMessage& message) override;
    std::vector<LogMessage> messages() const;
    /// How many captured messages have exactly this text.
    int count(const std::string& text) const;
    /// Whether a captured message contains this fragment.
    bool contains(const std::string& fragment) const;
    void clear();

private:
    const std::size_t m_capacity;
    mutable std::mutex m_mutex;
    std::deque<LogMessage> m_messages;
};

}  // namespace Tesselon
