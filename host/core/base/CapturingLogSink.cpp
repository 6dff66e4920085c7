#include "host/core/base/CapturingLogSink.h"

#include <algorithm>

namespace Tesselon {

void CapturingLogSink::write(const LogMessage& message)
{
    std::lock_guard lock(m_mutex);
    if (m_capacity == 0)
        return;
    if (m_messages.size() == m_capacity)
        m_messages.pop_front();
    m_messages.push_back(message);
}

std::vector<LogMessage> CapturingLogSink::messages() const
{
    std::lock_guard lock(m_mutex);
    return {m_messages.begin(), m_messages.end()};
}

int CapturingLogSink::count(const std::string& text) const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(
        std::count_if(m_messages.begin(), m_messages.end(), [&](const auto& m) { return m.text == text; }));
}

bool CapturingLogSink::contains(const std::string& fragment) const
{
    std::lock_guard lock(m_mutex);
    return std::any_of(m_messages.begin(), m_messages.end(),
                       [&](const auto& m) { return m.text.find(fragment) != std::string::npos; });
}

void CapturingLogSink::clear()
{
    std::lock_guard lock(m_mutex);
    m_messages.clear();
}

}  // namespace Tesselon
