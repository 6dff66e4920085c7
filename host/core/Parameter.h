#pragma once

#include "host/core/ParameterBase.h"
#include "host/core/PropertyCodec.h"

#include <string>
#include <string_view>
#include <utility>

namespace Tesselon {

/// A parameter holding a value of any type `PropertyCodec` supports. A value counts as changed when
/// its text form changes, which is exact for every codec and treats NaN as equal to NaN.
template <class T>
class Parameter : public ParameterBase
{
public:
    Parameter(std::string name, T defaultValue, Configurable* owner = nullptr)
        : ParameterBase(std::move(name), owner), m_value(defaultValue), m_default(std::move(defaultValue))
    {
    }

    const T& value() const { return m_value; }
    operator const T&() const { return m_value; }
    /// Emits `valueChanged` if the value differs from the current one.
    void setValue(const T& value)
    {
        if (PropertyCodec<T>::toText(value) == PropertyCodec<T>::toText(m_value))
            return;
        m_value = value;
        valueChanged.emitSignal();
    }
    Parameter& operator=(const T& value)
    {
        setValue(value);
        return *this;
    }

    const T& defaultValue() const { return m_default; }
    /// Changes the default only; the current value stays.
    void setDefaultValue(const T& value) { m_default = value; }

    ParamType type() const override { return PropertyCodec<T>::type; }
    std::string text() const override { return PropertyCodec<T>::toText(m_value); }

    bool setText(std::string_view text) override
    {
        auto parsed = PropertyCodec<T>::fromText(text);
        if (!parsed)
            return false;
        setValue(*parsed);
        return true;
    }

    void writeTo(Properties& properties) const override
    {
        properties.setParam(name(), m_value);
        writeAttributesTo(properties);
    }

    bool readFrom(const Properties& properties) override
    {
        T read = m_value;
        if (!properties.param(name(), read))
            return false;
        setValue(read);
        return true;
    }

    void resetToDefault() override { setValue(m_default); }

private:
    T m_value;
    T m_default;
};

}  // namespace Tesselon
