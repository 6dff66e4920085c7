#include "host/core/config/ParameterBase.h"

#include "host/core/base/Log.h"
#include "host/core/config/Configurable.h"
#include "host/core/config/PropertyCodec.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>

namespace Tesselon {

ParameterBase::ParameterBase(std::string name, Configurable* owner) : m_name(std::move(name)), m_label(m_name)
{
    if (owner)
        owner->registerParameter(this);
}

ParameterBase::~ParameterBase()
{
    if (m_owner)
        m_owner->unregisterParameter(this);
}

void ParameterBase::setAttribute(std::string key, std::string value)
{
    const auto existing = std::find_if(m_attributes.begin(), m_attributes.end(),
                                       [&key](const auto& attribute) { return attribute.first == key; });
    if (existing != m_attributes.end())
        existing->second = std::move(value);
    else
        m_attributes.emplace_back(std::move(key), std::move(value));
}

std::optional<std::string> ParameterBase::attribute(std::string_view key) const
{
    for (const auto& [attributeKey, value] : m_attributes) {
        if (attributeKey == key)
            return value;
    }
    return std::nullopt;
}

std::optional<double> ParameterBase::numberAttribute(std::string_view key) const
{
    const auto text = attribute(key);
    return text ? PropertyCodec<double>::fromText(*text) : std::nullopt;
}

std::vector<std::string> ParameterBase::choiceTexts() const
{
    const std::string values = attribute("values").value_or(std::string());
    const char separator = values.find(',') != std::string::npos ? ',' : ';';
    std::vector<std::string> choices;
    std::size_t begin = 0;
    while (begin <= values.size()) {
        const std::size_t end = std::min(values.find(separator, begin), values.size());
        const std::string_view choice = std::string_view(values).substr(begin, end - begin);
        const auto first = choice.find_first_not_of(" \t");
        choices.emplace_back(first == std::string_view::npos
                                 ? std::string_view()
                                 : choice.substr(first, choice.find_last_not_of(" \t") - first + 1));
        begin = end + 1;
    }
    return choices;
}

std::optional<std::string> ParameterBase::rangeViolation(double value) const
{
    const auto minimum = attribute("min");
    const auto maximum = attribute("max");
    if (!minimum && !maximum)
        return std::nullopt;
    if (!std::isfinite(value))
        return "it is not a finite number";
    const bool tooSmall = minimum && value < numberAttribute("min").value_or(-INFINITY);
    const bool tooLarge = maximum && value > numberAttribute("max").value_or(INFINITY);
    if (!tooSmall && !tooLarge)
        return std::nullopt;
    if (minimum && maximum)
        return fmt::format("it must be between {} and {}", *minimum, *maximum);
    return tooSmall ? fmt::format("it must be at least {}", *minimum)
                    : fmt::format("it must be at most {}", *maximum);
}

std::optional<std::string> ParameterBase::choiceViolation(long long value) const
{
    if (!attribute("values"))
        return std::nullopt;
    const auto count = static_cast<long long>(choiceTexts().size());
    if (value >= 0 && value < count)
        return std::nullopt;
    return fmt::format("the choices are 0 to {} ({})", count - 1, *attribute("values"));
}

void ParameterBase::logRejected(std::string_view refusedText, std::string_view reason) const
{
    Log::warning("Parameter",
                 fmt::format("Rejected {} \"{}\": {}; keeping \"{}\".", m_name, refusedText, reason, text()));
}

void ParameterBase::writeAttributesTo(Properties& properties) const
{
    for (const auto& [key, value] : m_attributes)
        properties.setParamAttribute(m_name, key, value);
}

}  // namespace Tesselon
