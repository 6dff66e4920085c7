#pragma once

#include "host/core/config/ParameterBase.h"
#include "host/core/config/PropertyCodec.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace Tesselon {

/// A parameter holding a value of any type `PropertyCodec` supports. A value counts as changed when
/// its text form changes, which is exact for every codec and treats NaN as equal to NaN.
///
/// Every setter keeps the parameter's rules and refuses, with one logged sentence naming the parameter and
/// keeping the current value, a number outside "min"/"max" (or not finite where a range is declared), an
/// integer or enumeration that is no choice of "values", and a value the owner's own check (`setCheck`)
/// finds wrong. Refusing rather than clamping: a corrected value may mean something else (a playback speed
/// of 0 plays as fast as possible).
template <class T>
class Parameter : public ParameterBase
{
public:
    /// Says why a value is wrong, or nothing when it is acceptable.
    using Check = std::function<std::optional<std::string>(const T&)>;

    Parameter(std::string name, T defaultValue, Configurable* owner = nullptr)
        : ParameterBase(std::move(name), owner), m_value(defaultValue), m_default(std::move(defaultValue))
    {
    }

    const T& value() const { return m_value; }
    operator const T&() const { return m_value; }
    /// Emits `valueChanged` if the value differs from the current one; false when refused.
    bool setValue(const T& value)
    {
        if (const auto refusal = ruleBroken(value)) {
            logRejected(PropertyCodec<T>::toText(value), *refusal);
            return false;
        }
        if (PropertyCodec<T>::toText(value) == PropertyCodec<T>::toText(m_value))
            return true;
        m_value = value;
        valueChanged.emitSignal();
        return true;
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

    /// Replaces the owner's own check; null removes it.
    void setCheck(Check check) { m_check = std::move(check); }

    bool setText(std::string_view text) override
    {
        auto parsed = PropertyCodec<T>::fromText(text);
        return parsed && setValue(*parsed);
    }

    void writeTo(Properties& properties) const override
    {
        properties.setParam(name(), m_value);
        writeAttributesTo(properties);
    }

    bool readFrom(const Properties& properties) override
    {
        T read = m_value;
        return properties.param(name(), read) && setValue(read);
    }

    void resetToDefault() override { setValue(m_default); }

private:
    /// Why the value breaks a rule, or nothing.
    std::optional<std::string> ruleBroken(const T& value) const
    {
        if (m_check)
            if (auto refusal = m_check(value))
                return refusal;
        if constexpr (std::is_arithmetic_v<T> && !std::is_same_v<T, bool>)
            if (auto refusal = rangeViolation(static_cast<double>(value)))
                return refusal;
        if constexpr (std::is_integral_v<T> || std::is_enum_v<T>)
            return choiceViolation(static_cast<long long>(value));
        return std::nullopt;
    }

    T m_value;
    T m_default;
    Check m_check;
};

}  // namespace Tesselon
