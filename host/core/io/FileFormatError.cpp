#include "host/core/io/FileFormatError.h"

#include <fmt/format.h>

#include <utility>

namespace Tesselon {

namespace {

std::string composeMessage(const std::string& source, int line, const std::string& reason)
{
    if (line > 0 && !source.empty())
        return fmt::format("{}, line {}: {}", source, line, reason);
    if (line > 0)
        return fmt::format("line {}: {}", line, reason);
    if (!source.empty())
        return fmt::format("{}: {}", source, reason);
    return reason;
}

}  // namespace

FileFormatError::FileFormatError(std::string source, int line, std::string reason)
    : std::runtime_error(composeMessage(source, line, reason)),
      m_source(std::move(source)),
      m_line(line),
      m_reason(std::move(reason))
{
}

}  // namespace Tesselon
