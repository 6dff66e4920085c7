#include "host/core/io/TextLines.h"

#include "host/core/config/PropertyCodec.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <cmath>

namespace Tesselon {

TextLines::TextLines(std::string_view text, Comments comments, std::string_view source, Failure failure)
    : m_text(text), m_comments(comments), m_source(source), m_failure(failure)
{
}

std::optional<TextLines::Line> TextLines::next()
{
    while (m_position < m_text.size()) {
        const std::size_t lineEnd = std::min(m_text.find('\n', m_position), m_text.size());
        if (lineEnd - m_position > longestLine)
            m_failure(
                m_source, m_number + 1,
                fmt::format("the line is longer than the {} bytes (1 MiB) a line may hold", longestLine));
        const Line line{++m_number, trimmed(m_text.substr(m_position, lineEnd - m_position)),
                        std::min(lineEnd + 1, m_text.size())};
        m_position = line.end;
        if (!skipped(line.text))
            return line;
    }
    return std::nullopt;
}

bool TextLines::skipped(std::string_view line) const
{
    return line.empty() || (m_comments == Comments::Skipped && line.front() == '#');
}

bool TextLines::isBlank(char c)
{
    return blanks.find(c) != std::string_view::npos;
}

std::string_view TextLines::trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> TextLines::split(std::string_view text, std::string_view separators)
{
    std::vector<std::string_view> pieces;
    std::size_t position = text.find_first_not_of(separators);
    while (position != std::string_view::npos) {
        const std::size_t end = std::min(text.find_first_of(separators, position), text.size());
        pieces.push_back(text.substr(position, end - position));
        position = text.find_first_not_of(separators, end);
    }
    return pieces;
}

std::optional<double> TextLines::finiteNumber(std::string_view text)
{
    const std::optional<double> value = PropertyCodec<double>::fromText(text);
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    return value;
}

std::optional<TextLines::KeyValue> TextLines::splitKeyValue(std::string_view line)
{
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return KeyValue{trimmed(line.substr(0, equals)), trimmed(line.substr(equals + 1))};
}

std::string TextLines::lowerCase(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

}  // namespace Tesselon
