#pragma once

#include "host/core/io/TrackingRecording.h"

#include <string>
#include <string_view>

namespace Tesselon {

/// The text header of a sequence metafile (.mha, .mhd) as open-source image-guided therapy toolkits
/// write tracking sequences:
///
///     ObjectType = Image
///     NDims = 3
///     DimSize = 0 0 2
///     Kinds = domain domain list
///     ElementType = MET_UCHAR
///     Seq_Frame0000_StylusToTrackerTransform = 1 0 0 10 0 1 0 20 0 0 1 30 0 0 0 1
///     Seq_Frame0000_StylusToTrackerTransformStatus = OK
///     Seq_Frame0000_Timestamp = 0.5
///     ...
///     ElementDataFile = LOCAL
///
/// The last DimSize number is the frame count. A `<Name>Transform` field is the 4x4 matrix, row by row,
/// of the transform "<Name>"; its `<Name>TransformStatus` marks it invalid unless it is "OK" (no status
/// means OK). Each frame needs a timestamp in seconds; other frame fields (image status and the like)
/// and other header keys are ignored. Frame numbers may have any number of digits. Reading stops at
/// `ElementDataFile`, so pixel data after it is never looked at. Every failure throws
/// `TrackingRecordingError` naming the source and the line.
class SequenceMetafile
{
public:
    /// Writes an image of no pixels, so the header is the whole file. Numbers are written in their
    /// shortest form that reads back to the same double. `targetName` names the file in error messages.
    static std::string toText(const TrackingRecording& recording, std::string_view targetName = "");
    /// `text` may go on past the header with pixel data. `sourceName` names the text in error messages
    /// and becomes the recording's source name.
    static TrackingRecording fromText(std::string_view text, std::string_view sourceName = "");
};

}  // namespace Tesselon
