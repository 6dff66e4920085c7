#include "host/core/ParameterBase.h"

#include "host/core/Configurable.h"

#include <algorithm>

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

void ParameterBase::writeAttributesTo(Properties& properties) const
{
    for (const auto& [key, value] : m_attributes)
        properties.setParamAttribute(m_name, key, value);
}

}  // namespace Tesselon
