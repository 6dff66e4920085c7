#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace Tesselon {

/// A file that cannot be read or written. The message names the source (file path, if any), the line
/// (where there is one) and what was wrong or expected. Each format derives its own type, so callers
/// can tell a broken workspace from a broken recording.
class FileFormatError : public std::runtime_error
{
public:
    /// `line` is 0 when no line applies (for example when a file cannot be opened).
    FileFormatError(std::string source, int line, std::string reason);

    const std::string& source() const { return m_source; }
    int line() const { return m_line; }
    const std::string& reason() const { return m_reason; }

    /// Characters of the input a message may quote, so that one huge line cannot flood it.
    static constexpr std::size_t longestExcerpt = 60;
    /// `text` as a message quotes it: its first `longestExcerpt` characters (UTF-8), followed by "…" when
    /// there were more, with line breaks and other control characters shown as blanks.
    static std::string excerpt(std::string_view text);

private:
    std::string m_source;
    int m_line;
    std::string m_reason;
};

}  // namespace Tesselon
