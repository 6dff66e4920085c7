#pragma once

#include "host/core/io/Markup.h"
#include "host/core/io/PointList.h"

#include <string>
#include <string_view>
#include <vector>

namespace Tesselon {

/// The markups JSON form of point lists (.mrk.json), as open-source medical imaging platforms save them:
///
///     {
///         "@schema": "https://.../markups-schema-v1.0.3.json#",
///         "markups": [{
///             "type": "Fiducial",
///             "coordinateSystem": "LPS",
///             "coordinateUnits": "mm",
///             "controlPoints": [
///                 {"id": "1", "label": "F-1", "position": [-12.5, 30, 4], "positionStatus": "defined"}
///             ]
///         }]
///     }
///
/// Reading accepts markups of type Fiducial, Line, Curve and ClosedCurve, each with an optional string
/// "name", and gives them one by one or joins their control points, in order, into one list. A markup without
/// "coordinateSystem" is in LPS; RAS positions (x, y, z) become
/// (-x, -y, z). Points whose "positionStatus" is "undefined" are placeholders without a position and are
/// left out. A point without "label" gets an empty one. Other keys (ids, orientations, display settings,
/// measurements) are ignored. Every failure throws `PointListFileError` naming the source, and the line for
/// malformed JSON or the JSON path (such as `markups[0].controlPoints[2].position`) for the rest.
class MarkupsJsonFile
{
public:
    /// One Fiducial markup in LPS. Numbers are written in their shortest form that reads back to the same
    /// double (-0 reads back as 0). `targetName` names the file in error messages.
    static std::string toText(const PointList& points, std::string_view targetName = "");
    /// `sourceName` names the text in error messages and becomes the list's source name.
    static PointList fromText(std::string_view text, std::string_view sourceName = "");
    /// The markups one by one, in the file's order; fails as `fromText` does.
    static std::vector<Markup> markupsFromText(std::string_view text, std::string_view sourceName = "");
};

}  // namespace Tesselon
