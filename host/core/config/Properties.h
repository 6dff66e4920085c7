#pragma once

#include "host/core/config/ParamType.h"
#include "host/core/config/PropertyCodec.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Tesselon {

/// An ordered tree of named parameters: each holds a text value, a type and ordered attributes
/// (such as "min", "hidden" or "values"), and the tree holds ordered sub-properties whose names
/// may repeat. Typed access goes through `PropertyCodec`. Not locked: owners share it under their lock.
class Properties
{
public:
    using Attributes = std::vector<std::pair<std::string, std::string>>;

    explicit Properties(std::string name = {});
    Properties(const Properties& other);
    Properties& operator=(const Properties& other);
    Properties(Properties&&) noexcept = default;
    Properties& operator=(Properties&&) noexcept = default;
    ~Properties();

    const std::string& name() const { return m_name; }
    void setName(std::string name) { m_name = std::move(name); }

    /// Reads a parameter into `out`; true if present and valid. A present but malformed value is
    /// logged as an error and leaves `out` untouched.
    template <class T>
    bool param(std::string_view name, T& out) const;
    /// Sets the value, appending the parameter if new. Records the value's type unless one was set
    /// explicitly with `setParamType`.
    template <class T>
    void setParam(std::string_view name, const T& value);
    void setParam(std::string_view name, const char* value) { setParam(name, std::string(value)); }

    bool hasParam(std::string_view name) const;
    std::optional<std::string> paramText(std::string_view name) const;
    /// Sets the raw text, appending the parameter if new; an existing type is kept.
    void setParamText(std::string_view name, std::string text);
    bool removeParam(std::string_view name);
    /// Parameter names in order.
    std::vector<std::string> paramNames() const;

    /// Fixes the parameter's type: later `setParam` calls no longer change it. Types read from a file
    /// count as set explicitly.
    void setParamType(std::string_view name, ParamType type);
    ParamType paramType(std::string_view name) const;

    /// Merges attributes given as "key: value, key: value" into the parameter's attributes; a key given
    /// again replaces its value in place. Single quotes protect commas ('a,b'); '' inside them is a quote.
    /// A parameter that does not exist yet is created with an empty text so the attributes are kept.
    /// Throws std::invalid_argument on malformed text.
    void setParamAttributes(std::string_view name, std::string_view text);
    /// Sets one attribute, creating the parameter (with an empty text) if needed.
    void setParamAttribute(std::string_view name, std::string key, std::string value);
    std::optional<std::string> paramAttribute(std::string_view name, std::string_view key) const;
    /// Attributes in order; empty for an unknown parameter.
    Attributes paramAttributes(std::string_view name) const;

    /// All sub-properties in order.
    std::vector<Properties*> subProperties();
    std::vector<const Properties*> subProperties() const;
    /// The sub-properties with this name, in order.
    std::vector<Properties*> subProperties(std::string_view name);
    std::vector<const Properties*> subProperties(std::string_view name) const;
    /// The first sub-properties with this name, or null.
    Properties* subProperty(std::string_view name);
    const Properties* subProperty(std::string_view name) const;
    /// Appends an empty child; the pointer stays valid until the child is removed.
    Properties* addSubProperties(std::string name);
    /// Appends a deep copy of `child`.
    Properties* addSubProperties(const Properties& child);
    /// Removes and destroys this direct child; false if it is not one.
    bool removeSubProperties(const Properties* child);

    /// Replaces parameters, attributes and sub-properties by deep copies of other's; keeps this name.
    void copyFrom(const Properties& other);
    /// Removes every parameter and sub-properties; keeps the name.
    void clear();

    /// Same name, same parameters (order, text, type, attributes) and equal sub-properties in order.
    bool operator==(const Properties& other) const;

private:
    struct Param
    {
        std::string name;
        std::string text;
        ParamType type = ParamType::Unknown;
        bool typeIsExplicit = false;
        Attributes attributes;

        bool operator==(const Param& other) const;
    };

    const Param* find(std::string_view name) const;
    Param* find(std::string_view name);
    Param& findOrAdd(std::string_view name);
    void setParamTextWithType(std::string_view name, std::string text, ParamType type);
    static void reportMalformed(std::string_view name, std::string_view text, std::string_view expected);

    std::string m_name;
    std::vector<Param> m_params;
    // Held by pointer so that returned children stay valid while siblings come and go.
    std::vector<std::unique_ptr<Properties>> m_children;
};

template <class T>
bool Properties::param(std::string_view name, T& out) const
{
    const Param* found = find(name);
    if (!found)
        return false;
    auto value = PropertyCodec<T>::fromText(found->text);
    if (!value) {
        reportMalformed(name, found->text, PropertyCodec<T>::typeName);
        return false;
    }
    out = std::move(*value);
    return true;
}

template <class T>
void Properties::setParam(std::string_view name, const T& value)
{
    setParamTextWithType(name, PropertyCodec<T>::toText(value), PropertyCodec<T>::type);
}

}  // namespace Tesselon
