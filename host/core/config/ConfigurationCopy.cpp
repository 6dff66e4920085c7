#include "host/core/config/ConfigurationCopy.h"

#include <string>
#include <string_view>

namespace Tesselon {
namespace {

/// A parameter that keeps its value as text of a given type; the owner of the original checks the value
/// when the copy is handed back.
class TextParameter : public ParameterBase
{
public:
    TextParameter(std::string name, ParamType type, std::string text, Configurable* owner)
        : ParameterBase(std::move(name), owner), m_type(type), m_text(std::move(text))
    {
    }

    ParamType type() const override { return m_type; }
    std::string text() const override { return m_text; }

    bool setText(std::string_view text) override
    {
        if (text == m_text)
            return true;
        m_text = std::string(text);
        valueChanged.emitSignal();
        return true;
    }

    void writeTo(Properties& properties) const override
    {
        properties.setParamText(name(), m_text);
        properties.setParamType(name(), m_type);
        writeAttributesTo(properties);
    }

    bool readFrom(const Properties& properties) override
    {
        const auto text = properties.paramText(name());
        return text && setText(*text);
    }

    // A copy has no default of its own: the original's reset is what counts.
    void resetToDefault() override {}

private:
    ParamType m_type;
    std::string m_text;
};

}  // namespace

ConfigurationCopy::ConfigurationCopy() = default;

ConfigurationCopy::~ConfigurationCopy() = default;

void ConfigurationCopy::rebuild(const Properties& configuration, const Configurable* labels)
{
    m_copies.clear();
    for (const std::string& name : configuration.paramNames()) {
        auto copy = std::make_unique<TextParameter>(name, configuration.paramType(name),
                                                    configuration.paramText(name).value_or(""), this);
        for (auto& [key, value] : configuration.paramAttributes(name))
            copy->setAttribute(key, value);
        if (const ParameterBase* original = labels ? labels->parameter(name) : nullptr)
            copy->setLabel(original->label());
        m_copies.push_back(std::move(copy));
    }
}

bool ConfigurationCopy::hasShapeOf(const Properties& configuration) const
{
    const std::vector<std::string> names = configuration.paramNames();
    if (names.size() != m_copies.size())
        return false;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const ParameterBase& copy = *m_copies[i];
        if (copy.name() != names[i] || copy.type() != configuration.paramType(names[i]) ||
            copy.attributes() != configuration.paramAttributes(names[i]))
            return false;
    }
    return true;
}

}  // namespace Tesselon
