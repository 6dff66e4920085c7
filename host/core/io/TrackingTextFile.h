#pragma once

#include "host/core/io/TrackingRecording.h"

#include <string>
#include <string_view>

namespace Tesselon {

/// Plain text tracking recordings of one transform, one pose per line: a timestamp, then the 16 values
/// of the 4x4 transform row by row, separated by blanks or commas. Blank lines and lines starting with
/// '#' are ignored, except that comments before the first pose may declare
///
///   - the timestamp unit, as "timestamp in <unit>" (or "timestamps in", "time in"), where the unit is
///     seconds, milliseconds, microseconds or nanoseconds, and
///   - the transform name, as a line "# transform: <name>".
///
/// Without a declared unit the first timestamp decides, read as a count since the Unix epoch in the one
/// unit that puts it between 1973 and 5138: below 1e11 seconds, below 1e14 milliseconds, below 1e17
/// microseconds, above that nanoseconds. So relative times (from 0) must be in seconds or be declared.
/// Timestamps are converted to seconds. Every pose is valid: the format has no status.
/// Every failure throws `TrackingRecordingError` naming the source and the line.
class TrackingTextFile
{
public:
    /// Writes the unit and the transform name in the header and every number in its shortest form that
    /// reads back to the same double. The recording must hold exactly one transform, valid in every
    /// frame. `separator` is ' ', ',' or '\t'. `targetName` names the file in error messages.
    static std::string toText(const TrackingRecording& recording, char separator = ' ',
                              std::string_view targetName = "");
    /// `transformName` names the transform; when empty, the name the header declares, else "Tool".
    /// `sourceName` names the text in error messages and becomes the recording's source name.
    static TrackingRecording fromText(std::string_view text, std::string_view sourceName = "",
                                      std::string_view transformName = "");
};

}  // namespace Tesselon
