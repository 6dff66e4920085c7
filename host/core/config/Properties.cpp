#include "host/core/config/Properties.h"

#include "host/core/base/Log.h"

#include <fmt/format.h>

#include <algorithm>
#include <stdexcept>

namespace Tesselon {

namespace {

constexpr std::string_view whiteSpace = " \t\r\n";

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(whiteSpace);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(whiteSpace);
    return text.substr(first, last - first + 1);
}

// Reads "key: value, key: 'quoted, value'" one entry at a time.
class AttributeParser
{
public:
    AttributeParser(std::string_view name, std::string_view text) : m_name(name), m_text(text) {}

    Properties::Attributes parse()
    {
        Properties::Attributes result;
        if (trimmed(m_text).empty())
            return result;
        while (true) {
            std::string key = readKey();
            std::string value = readValue();
            result.emplace_back(std::move(key), std::move(value));
            if (m_position == m_text.size())
                return result;
            ++m_position;  // the comma
        }
    }

private:
    std::string readKey()
    {
        const auto colon = m_text.find_first_of(":,", m_position);
        if (colon == std::string_view::npos || m_text[colon] != ':')
            fail("expected \"key: value\"");
        const auto key = trimmed(m_text.substr(m_position, colon - m_position));
        if (key.empty())
            fail("expected a key before ':'");
        m_position = colon + 1;
        return std::string(key);
    }

    std::string readValue()
    {
        skipSpaces();
        if (m_position < m_text.size() && m_text[m_position] == '\'')
            return readQuotedValue();
        const auto comma = std::min(m_text.find(',', m_position), m_text.size());
        const auto value = trimmed(m_text.substr(m_position, comma - m_position));
        m_position = comma;
        return std::string(value);
    }

    std::string readQuotedValue()
    {
        std::string value;
        ++m_position;
        while (true) {
            if (m_position >= m_text.size())
                fail("expected a closing quote");
            const char c = m_text[m_position++];
            if (c != '\'') {
                value += c;
            } else if (m_position < m_text.size() && m_text[m_position] == '\'') {
                value += '\'';
                ++m_position;
            } else {
                break;
            }
        }
        skipSpaces();
        if (m_position < m_text.size() && m_text[m_position] != ',')
            fail("expected ',' after a quoted value");
        return value;
    }

    void skipSpaces()
    {
        while (m_position < m_text.size() && whiteSpace.find(m_text[m_position]) != std::string_view::npos)
            ++m_position;
    }

    [[noreturn]] void fail(std::string_view expected) const
    {
        throw std::invalid_argument(fmt::format("Cannot read the attributes \"{}\" of parameter \"{}\": {}.",
                                                m_text, m_name, expected));
    }

    std::string_view m_name;
    std::string_view m_text;
    std::size_t m_position = 0;
};

void setAttribute(Properties::Attributes& attributes, std::string key, std::string value)
{
    const auto existing = std::find_if(attributes.begin(), attributes.end(),
                                       [&key](const auto& attribute) { return attribute.first == key; });
    if (existing != attributes.end())
        existing->second = std::move(value);
    else
        attributes.emplace_back(std::move(key), std::move(value));
}

template <class Pointer, class Children>
std::vector<Pointer> childrenNamed(const Children& children, std::string_view name)
{
    std::vector<Pointer> result;
    for (const auto& child : children) {
        if (child->name() == name)
            result.push_back(child.get());
    }
    return result;
}

}  // namespace

Properties::Properties(std::string name) : m_name(std::move(name)) {}

Properties::Properties(const Properties& other) : m_name(other.m_name)
{
    copyFrom(other);
}

Properties& Properties::operator=(const Properties& other)
{
    if (this != &other) {
        m_name = other.m_name;
        copyFrom(other);
    }
    return *this;
}

Properties::~Properties() = default;

bool Properties::Param::operator==(const Param& other) const
{
    // Whether the type was fixed explicitly is bookkeeping, not content.
    return name == other.name && text == other.text && type == other.type && attributes == other.attributes;
}

const Properties::Param* Properties::find(std::string_view name) const
{
    const auto found =
        std::find_if(m_params.begin(), m_params.end(), [name](const Param& p) { return p.name == name; });
    return found == m_params.end() ? nullptr : &*found;
}

Properties::Param* Properties::find(std::string_view name)
{
    return const_cast<Param*>(std::as_const(*this).find(name));
}

Properties::Param& Properties::findOrAdd(std::string_view name)
{
    if (Param* found = find(name))
        return *found;
    m_params.push_back(Param{std::string(name), {}, ParamType::Unknown, false, {}});
    return m_params.back();
}

void Properties::setParamTextWithType(std::string_view name, std::string text, ParamType type)
{
    Param& param = findOrAdd(name);
    param.text = std::move(text);
    if (!param.typeIsExplicit)
        param.type = type;
}

void Properties::reportMalformed(std::string_view name, std::string_view text, std::string_view expected)
{
    Log::log(
        Log::Error, "Properties",
        fmt::format("Parameter \"{}\" has the text \"{}\", which is not a valid {}.", name, text, expected));
}

bool Properties::hasParam(std::string_view name) const
{
    return find(name) != nullptr;
}

std::optional<std::string> Properties::paramText(std::string_view name) const
{
    if (const Param* found = find(name))
        return found->text;
    return std::nullopt;
}

void Properties::setParamText(std::string_view name, std::string text)
{
    findOrAdd(name).text = std::move(text);
}

bool Properties::removeParam(std::string_view name)
{
    const auto count = std::erase_if(m_params, [name](const Param& p) { return p.name == name; });
    return count > 0;
}

std::vector<std::string> Properties::paramNames() const
{
    std::vector<std::string> names;
    names.reserve(m_params.size());
    for (const Param& param : m_params)
        names.push_back(param.name);
    return names;
}

void Properties::setParamType(std::string_view name, ParamType type)
{
    Param& param = findOrAdd(name);
    param.type = type;
    param.typeIsExplicit = true;
}

ParamType Properties::paramType(std::string_view name) const
{
    const Param* found = find(name);
    return found ? found->type : ParamType::Unknown;
}

void Properties::setParamAttributes(std::string_view name, std::string_view text)
{
    // Parse everything first so that malformed text changes nothing.
    auto parsed = AttributeParser(name, text).parse();
    Param& param = findOrAdd(name);
    for (auto& [key, value] : parsed)
        setAttribute(param.attributes, std::move(key), std::move(value));
}

void Properties::setParamAttribute(std::string_view name, std::string key, std::string value)
{
    setAttribute(findOrAdd(name).attributes, std::move(key), std::move(value));
}

std::optional<std::string> Properties::paramAttribute(std::string_view name, std::string_view key) const
{
    if (const Param* found = find(name)) {
        for (const auto& [attributeKey, value] : found->attributes) {
            if (attributeKey == key)
                return value;
        }
    }
    return std::nullopt;
}

Properties::Attributes Properties::paramAttributes(std::string_view name) const
{
    const Param* found = find(name);
    return found ? found->attributes : Attributes{};
}

std::vector<Properties*> Properties::subProperties()
{
    std::vector<Properties*> result;
    result.reserve(m_children.size());
    for (const auto& child : m_children)
        result.push_back(child.get());
    return result;
}

std::vector<const Properties*> Properties::subProperties() const
{
    std::vector<const Properties*> result;
    result.reserve(m_children.size());
    for (const auto& child : m_children)
        result.push_back(child.get());
    return result;
}

std::vector<Properties*> Properties::subProperties(std::string_view name)
{
    return childrenNamed<Properties*>(m_children, name);
}

std::vector<const Properties*> Properties::subProperties(std::string_view name) const
{
    return childrenNamed<const Properties*>(m_children, name);
}

Properties* Properties::subProperty(std::string_view name)
{
    return const_cast<Properties*>(std::as_const(*this).subProperty(name));
}

const Properties* Properties::subProperty(std::string_view name) const
{
    for (const auto& child : m_children) {
        if (child->name() == name)
            return child.get();
    }
    return nullptr;
}

Properties* Properties::addSubProperties(std::string name)
{
    return m_children.emplace_back(std::make_unique<Properties>(std::move(name))).get();
}

Properties* Properties::addSubProperties(const Properties& child)
{
    return m_children.emplace_back(std::make_unique<Properties>(child)).get();
}

bool Properties::removeSubProperties(const Properties* child)
{
    const auto count = std::erase_if(m_children, [child](const auto& c) { return c.get() == child; });
    return count > 0;
}

void Properties::copyFrom(const Properties& other)
{
    if (this == &other)
        return;
    // Copy before replacing: `other` may be one of this tree's own descendants.
    std::vector<Param> params = other.m_params;
    std::vector<std::unique_ptr<Properties>> children;
    children.reserve(other.m_children.size());
    for (const auto& child : other.m_children)
        children.push_back(std::make_unique<Properties>(*child));
    m_params = std::move(params);
    m_children = std::move(children);
}

void Properties::clear()
{
    m_params.clear();
    m_children.clear();
}

bool Properties::operator==(const Properties& other) const
{
    return m_name == other.m_name && m_params == other.m_params &&
           std::equal(m_children.begin(), m_children.end(), other.m_children.begin(), other.m_children.end(),
                      [](const auto& a, const auto& b) { return *a == *b; });
}

}  // namespace Tesselon
