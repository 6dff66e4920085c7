#pragma once

#include "host/core/io/PointList.h"

#include <string>
#include <string_view>

namespace Tesselon {

/// The comma-separated form of point lists (.csv), one point per line in world coordinates (LPS, mm):
///
///     x,y,z,label
///     # entry points
///     -12.5,30,4,F-1
///     0.25,1e-3,-7,"skin, left"
///     3,4,5
///
/// The header line "x,y,z" or "x,y,z,label" (any letter case) may open the list. Blank lines and lines
/// starting with '#' are skipped. The label column is optional on every line; a label holding commas,
/// quotes or surrounding blanks is quoted, with quotes inside it doubled. Every failure throws
/// `PointListFileError` naming the source and the line.
class PointCsvFile
{
public:
    /// Writes the header with a label column. Numbers are written in their shortest form that reads back
    /// to the same double. Labels cannot hold line breaks. `targetName` names the file in error messages.
    static std::string toText(const PointList& points, std::string_view targetName = "");
    /// `sourceName` names the text in error messages and becomes the list's source name.
    static PointList fromText(std::string_view text, std::string_view sourceName = "");
};

}  // namespace Tesselon
