#pragma once

#include "host/core/config/ParamType.h"

#include <Eigen/Core>

#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace Tesselon {

/// Converts parameter values to and from their text form. Every conversion round-trips exactly;
/// `fromText` accepts only complete, well-formed text and otherwise returns nothing.
/// Types without a codec cannot be stored as parameters.
template <class T>
struct PropertyCodec;

template <>
struct PropertyCodec<bool>
{
    static constexpr ParamType type = ParamType::Bool;
    static constexpr std::string_view typeName = "boolean";
    /// "true" or "false".
    static std::string toText(const bool& value);
    /// true, false, 1 or 0, in any letter case.
    static std::optional<bool> fromText(std::string_view text);
};

template <>
struct PropertyCodec<int>
{
    static constexpr ParamType type = ParamType::Int;
    static constexpr std::string_view typeName = "integer";
    static std::string toText(const int& value);
    static std::optional<int> fromText(std::string_view text);
};

template <>
struct PropertyCodec<long long>
{
    static constexpr ParamType type = ParamType::Int;
    static constexpr std::string_view typeName = "64-bit integer";
    static std::string toText(const long long& value);
    static std::optional<long long> fromText(std::string_view text);
};

template <>
struct PropertyCodec<unsigned>
{
    static constexpr ParamType type = ParamType::Int;
    static constexpr std::string_view typeName = "unsigned integer";
    static std::string toText(const unsigned& value);
    static std::optional<unsigned> fromText(std::string_view text);
};

template <>
struct PropertyCodec<double>
{
    static constexpr ParamType type = ParamType::Double;
    static constexpr std::string_view typeName = "number";
    /// The shortest text that reads back to the same double; "inf", "-inf" and "nan" included.
    static std::string toText(const double& value);
    static std::optional<double> fromText(std::string_view text);
};

template <>
struct PropertyCodec<std::string>
{
    static constexpr ParamType type = ParamType::String;
    static constexpr std::string_view typeName = "text";
    static std::string toText(const std::string& value) { return value; }
    static std::optional<std::string> fromText(std::string_view text) { return std::string(text); }
};

template <>
struct PropertyCodec<Eigen::Vector3d>
{
    static constexpr ParamType type = ParamType::Vector3;
    static constexpr std::string_view typeName = "vector of 3 numbers";
    /// "x y z".
    static std::string toText(const Eigen::Vector3d& value);
    /// Exactly three numbers separated by white space.
    static std::optional<Eigen::Vector3d> fromText(std::string_view text);
};

template <>
struct PropertyCodec<Eigen::Matrix4d>
{
    static constexpr ParamType type = ParamType::Matrix4;
    static constexpr std::string_view typeName = "4x4 matrix of 16 numbers";
    /// The 16 coefficients row by row, separated by spaces.
    static std::string toText(const Eigen::Matrix4d& value);
    /// Exactly sixteen numbers, row by row, separated by white space.
    static std::optional<Eigen::Matrix4d> fromText(std::string_view text);
};

/// Enumerations are stored as their integer value.
template <class T>
requires std::is_enum_v<T>
struct PropertyCodec<T>
{
    static constexpr ParamType type = ParamType::Enumeration;
    static constexpr std::string_view typeName = "enumeration value";

    static std::string toText(const T& value)
    {
        return PropertyCodec<long long>::toText(static_cast<long long>(value));
    }

    /// Any integer the enumeration's underlying type can hold; named values are not checked.
    static std::optional<T> fromText(std::string_view text)
    {
        using Underlying = std::underlying_type_t<T>;
        const auto number = PropertyCodec<long long>::fromText(text);
        if (!number || !std::in_range<Underlying>(*number))
            return std::nullopt;
        return static_cast<T>(static_cast<Underlying>(*number));
    }
};

/// An optional value: empty text when absent, the value's own text otherwise. Meant for values whose own
/// text is never empty (numbers, vectors, matrices).
template <class T>
struct PropertyCodec<std::optional<T>>
{
    static constexpr ParamType type = PropertyCodec<T>::type;
    static constexpr std::string_view typeName = PropertyCodec<T>::typeName;

    static std::string toText(const std::optional<T>& value)
    {
        return value ? PropertyCodec<T>::toText(*value) : std::string();
    }

    static std::optional<std::optional<T>> fromText(std::string_view text)
    {
        if (text.empty())
            return std::optional<T>();
        auto value = PropertyCodec<T>::fromText(text);
        if (!value)
            return std::nullopt;
        return std::optional<T>(std::move(*value));
    }
};

}  // namespace Tesselon
