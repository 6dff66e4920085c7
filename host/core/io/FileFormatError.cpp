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

bool isContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

std::string FileFormatError::excerpt(std::string_view text)
{
    std::string result;
    std::size_t characters = 0;
    for (const char c : text) {
        if (!isContinuationByte(c) && characters++ == longestExcerpt)
            return result + "…";
        result += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
    }
    return result;
}

FileFormatError::FileFormatError(std::string source, int line, std::string reason)
    : std::runtime_error(composeMessage(source, line, reason)),
      m_source(std::move(source)),
      m_line(line),
      m_reason(std::move(reason))
{
}

}  // namespace Tesselon
