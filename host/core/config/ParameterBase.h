#pragma once

#include "host/core/base/Signal.h"
#include "host/core/config/ParamType.h"
#include "host/core/config/Properties.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Tesselon {

class Configurable;

/// A named, typed value of a `Configurable`, with editor attributes ("min", "max", "hidden", "values",
/// "tooltip"). The attributes "min", "max" and "values" are also the parameter's rules: every setter and
/// `configure` clamps a number into its range and refuses a choice outside "values" (see `Parameter`), so
/// a range is declared once, where editors read it too. Parameters are not locked: their owner guards them
/// with its own lock.
///
/// A parameter registers with its owner on construction and unregisters on destruction. An owner that
/// dies first detaches the parameters still registered, so either may outlive the other.
class ParameterBase
{
public:
    /// Registers with `owner` unless it is null.
    ParameterBase(std::string name, Configurable* owner);
    virtual ~ParameterBase();
    ParameterBase(const ParameterBase&) = delete;
    ParameterBase& operator=(const ParameterBase&) = delete;

    const std::string& name() const { return m_name; }
    /// The text editors show; the name until set.
    const std::string& label() const { return m_label; }
    void setLabel(std::string label) { m_label = std::move(label); }
    Configurable* owner() const { return m_owner; }

    /// Sets an attribute, replacing the value of a key already present.
    void setAttribute(std::string key, std::string value);
    std::optional<std::string> attribute(std::string_view key) const;
    /// Attributes in the order they were first set.
    const std::vector<std::pair<std::string, std::string>>& attributes() const { return m_attributes; }
    /// The attribute as a number; nothing when absent or not a number.
    std::optional<double> numberAttribute(std::string_view key) const;
    /// The texts of the "values" attribute: comma-separated, or semicolon-separated when it has no comma.
    std::vector<std::string> choiceTexts() const;

    virtual ParamType type() const = 0;
    /// The value in its `PropertyCodec` text form.
    virtual std::string text() const = 0;
    /// Sets the value from text; false (value unchanged) when the text is malformed.
    virtual bool setText(std::string_view text) = 0;
    /// Writes value, type and attributes under this parameter's name.
    virtual void writeTo(Properties& properties) const = 0;
    /// Reads the value when present and valid; true if read. Malformed values are logged by `Properties`.
    virtual bool readFrom(const Properties& properties) = 0;
    virtual void resetToDefault() = 0;

    /// Emitted after the value changed; setting an equal value emits nothing.
    Signal<> valueChanged;

protected:
    /// Writes the attributes; the derived class has written the value and type already.
    void writeAttributesTo(Properties& properties) const;

    /// Why a number breaks the "min"/"max" rule (not finite, or outside), or nothing; no rule without them.
    std::optional<std::string> rangeViolation(double value) const;
    /// Why an integer is no choice of "values"; nothing when it is one, or when there is no "values".
    std::optional<std::string> choiceViolation(long long value) const;
    /// One logged sentence naming the parameter, the refused value, why, and the value kept.
    void logRejected(std::string_view refusedText, std::string_view reason) const;

private:
    friend class Configurable;

    std::string m_name;
    std::string m_label;
    std::vector<std::pair<std::string, std::string>> m_attributes;
    Configurable* m_owner = nullptr;
};

}  // namespace Tesselon
