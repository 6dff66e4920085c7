#pragma once

#include <stdexcept>
#include <string>

namespace Tesselon {

/// A tracking recording that cannot be read or written. The message names the source (file path, if
/// any), the line (for reading) and what was wrong or expected.
class TrackingRecordingError : public std::runtime_error
{
public:
    /// `line` is 0 when no line applies (for example when a file cannot be opened).
    TrackingRecordingError(std::string source, int line, std::string reason);

    const std::string& source() const { return m_source; }
    int line() const { return m_line; }
    const std::string& reason() const { return m_reason; }

private:
    std::string m_source;
    int m_line;
    std::string m_reason;
};

}  // namespace Tesselon
