#pragma once

#include <string>

namespace Tesselon {

/// One message of the host log.
struct LogMessage
{
    int level = 2;  ///< 1 debug, 2 information, 3 warning, 4 error
    std::string category;
    std::string text;

    bool operator==(const LogMessage&) const = default;
};

/// Where accepted log messages go. Sinks are called from any thread, so they lock what they share.
class LogSink
{
public:
    virtual ~LogSink() = default;
    virtual void write(const LogMessage& message) = 0;
};

}  // namespace Tesselon
