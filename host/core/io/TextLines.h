#pragma once

#include "host/core/io/FileFormatError.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Tesselon {

/// The numbered lines of a text, one at a time, so that a reader can stop where a header ends and binary
/// data begins. Lines end at '\n' and come trimmed of blanks (' ', '\t', '\r'). Blank lines are skipped,
/// and so, when asked, are comment lines starting with '#'; line numbers count every line from 1. Also
/// the pieces that the text file readers split lines into: blank- or comma-separated values, finite
/// numbers and "key = value" fields. A line longer than `longestLine` is refused with the format's own
/// error, so that no reader works on, or quotes, a runaway line.
class TextLines
{
public:
    enum class Comments
    {
        Kept,
        Skipped,
    };

    struct Line
    {
        int number = 0;
        std::string_view text;
        /// Offset in the whole text just past this line and its '\n': where the next line starts.
        std::size_t end = 0;
    };

    struct KeyValue
    {
        std::string_view key;
        std::string_view value;
    };

    static constexpr std::string_view blanks = " \t\r";
    /// Bytes a line may hold, without its line break: far more than any of the formats writes.
    static constexpr std::size_t longestLine = std::size_t{1} << 20;

    /// Throws the format's error for `source` and `line`; `fail<Error>` is one.
    using Failure = void (*)(const std::string& source, int line, std::string reason);
    template <class Error>
    [[noreturn]] static void fail(const std::string& source, int line, std::string reason)
    {
        throw Error(source, line, std::move(reason));
    }

    /// `text` must outlive this reader and the lines it gives. `source` names it in errors.
    explicit TextLines(std::string_view text, Comments comments = Comments::Kept,
                       std::string_view source = "", Failure failure = &fail<FileFormatError>);

    /// The next line that is not skipped, or nothing past the last one.
    std::optional<Line> next();

    static bool isBlank(char c);
    static std::string_view trimmed(std::string_view text);
    /// The non-empty runs of `text` between any of `separators`.
    static std::vector<std::string_view> split(std::string_view text, std::string_view separators = blanks);
    /// The whole of `text` as a number that is neither infinite nor NaN.
    static std::optional<double> finiteNumber(std::string_view text);
    /// `line` split at its first '=' into a key and a value, both trimmed; nothing without '='. The key
    /// may be empty.
    static std::optional<KeyValue> splitKeyValue(std::string_view line);
    /// `text` with ASCII letters in lower case, for names that the formats take in any letter case.
    static std::string lowerCase(std::string_view text);

private:
    bool skipped(std::string_view line) const;

    std::string_view m_text;
    Comments m_comments;
    std::string m_source;
    Failure m_failure;
    std::size_t m_position = 0;
    int m_number = 0;
};

}  // namespace Tesselon
