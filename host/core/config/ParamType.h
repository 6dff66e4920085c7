#pragma once

namespace Tesselon {

/// The kind of value a parameter holds, stored with it so editors can offer the right widget.
/// The numbers are written to files: never renumber.
enum class ParamType : int
{
    Unknown = 0,
    Bool = 1,
    Int = 2,
    Double = 3,
    String = 4,
    Vector3 = 5,
    Matrix4 = 6,
    Path = 7,
    /// An integer shown as a choice among the texts of the attribute "values".
    Enumeration = 8
};

/// Whether a number read from a file names a known parameter type.
constexpr bool isParamTypeNumber(long long number)
{
    return number >= static_cast<int>(ParamType::Unknown) &&
           number <= static_cast<int>(ParamType::Enumeration);
}

}  // namespace Tesselon
