#include "host/stream/TrackerID.h"

#include <array>

namespace Tesselon {
namespace {

constexpr char separator = ';';
constexpr char escape = '\\';

void appendEscaped(std::string& out, std::string_view part)
{
    for (char c : part) {
        if (c == separator || c == escape)
            out += escape;
        out += c;
    }
}

}  // namespace

TrackerID::TrackerID(std::string id, std::string model, std::string name)
    : m_id(std::move(id)), m_model(std::move(model)), m_name(std::move(name))
{
}

std::string TrackerID::toIDModelNameString(bool includeName) const
{
    std::string text;
    appendEscaped(text, m_id);
    text += separator;
    appendEscaped(text, m_model);
    text += separator;
    if (includeName)
        appendEscaped(text, m_name);
    return text;
}

TrackerID TrackerID::fromIDModelNameString(std::string_view text)
{
    std::array<std::string, 3> parts;
    std::size_t part = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == escape && i + 1 < text.size()) {
            parts[part] += text[++i];
        } else if (c == separator && part < parts.size() - 1) {
            ++part;
        } else {
            parts[part] += c;
        }
    }
    return TrackerID(std::move(parts[0]), std::move(parts[1]), std::move(parts[2]));
}

std::uint64_t TrackerID::idHash() const
{
    // FNV-1a: stable across runs and builds, unlike std::hash.
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : m_id) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

}  // namespace Tesselon
