#include "host/core/config/PropertyCodec.h"

#include <array>
#include <cctype>
#include <charconv>
#include <system_error>

namespace Tesselon {

namespace {

template <class Number>
std::string numberToText(Number value)
{
    // Enough for any 64-bit integer and for the longest shortest-round-trip double.
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

// The whole text must be the number: no white space, no sign other than '-', nothing after it.
template <class Number>
std::optional<Number> numberFromText(std::string_view text)
{
    Number value{};
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (result.ec != std::errc() || result.ptr != end)
        return std::nullopt;
    return value;
}

bool equalsIgnoringCase(std::string_view text, std::string_view lowerCase)
{
    if (text.size() != lowerCase.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != lowerCase[i])
            return false;
    }
    return true;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Reads exactly `count` white-space separated doubles into `out`; false on any other count or bad number.
bool readNumbers(std::string_view text, double* out, int count)
{
    std::size_t position = 0;
    int read = 0;
    while (true) {
        while (position < text.size() && isSpace(text[position]))
            ++position;
        if (position == text.size())
            return read == count;
        std::size_t tokenEnd = position;
        while (tokenEnd < text.size() && !isSpace(text[tokenEnd]))
            ++tokenEnd;
        if (read == count)
            return false;
        const auto number = numberFromText<double>(text.substr(position, tokenEnd - position));
        if (!number)
            return false;
        out[read++] = *number;
        position = tokenEnd;
    }
}

std::string joinNumbers(const double* values, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            text += ' ';
        text += numberToText(values[i]);
    }
    return text;
}

}  // namespace

std::string PropertyCodec<bool>::toText(const bool& value)
{
    return value ? "true" : "false";
}

std::optional<bool> PropertyCodec<bool>::fromText(std::string_view text)
{
    if (text == "1" || equalsIgnoringCase(text, "true"))
        return true;
    if (text == "0" || equalsIgnoringCase(text, "false"))
        return false;
    return std::nullopt;
}

std::string PropertyCodec<int>::toText(const int& value)
{
    return numberToText(value);
}

std::optional<int> PropertyCodec<int>::fromText(std::string_view text)
{
    return numberFromText<int>(text);
}

std::string PropertyCodec<long long>::toText(const long long& value)
{
    return numberToText(value);
}

std::optional<long long> PropertyCodec<long long>::fromText(std::string_view text)
{
    return numberFromText<long long>(text);
}

std::string PropertyCodec<unsigned>::toText(const unsigned& value)
{
    return numberToText(value);
}

std::optional<unsigned> PropertyCodec<unsigned>::fromText(std::string_view text)
{
    return numberFromText<unsigned>(text);
}

std::string PropertyCodec<double>::toText(const double& value)
{
    return numberToText(value);
}

std::optional<double> PropertyCodec<double>::fromText(std::string_view text)
{
    return numberFromText<double>(text);
}

std::string PropertyCodec<Eigen::Vector3d>::toText(const Eigen::Vector3d& value)
{
    return joinNumbers(value.data(), 3);
}

std::optional<Eigen::Vector3d> PropertyCodec<Eigen::Vector3d>::fromText(std::string_view text)
{
    Eigen::Vector3d value;
    if (!readNumbers(text, value.data(), 3))
        return std::nullopt;
    return value;
}

std::string PropertyCodec<Eigen::Matrix4d>::toText(const Eigen::Matrix4d& value)
{
    // Eigen stores column by column; the text is row by row as people write matrices.
    const Eigen::Matrix<double, 4, 4, Eigen::RowMajor> rows = value;
    return joinNumbers(rows.data(), 16);
}

std::optional<Eigen::Matrix4d> PropertyCodec<Eigen::Matrix4d>::fromText(std::string_view text)
{
    Eigen::Matrix<double, 4, 4, Eigen::RowMajor> rows;
    if (!readNumbers(text, rows.data(), 16))
        return std::nullopt;
    return Eigen::Matrix4d(rows);
}

}  // namespace Tesselon
