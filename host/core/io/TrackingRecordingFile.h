#pragma once

#include "host/core/io/TrackingRecording.h"

#include <string>

namespace Tesselon {

/// Tracking recording files, in the format their extension names (case ignored):
/// .mha and .mhd are sequence metafiles (`SequenceMetafile`), .txt, .csv and .tsv plain text
/// (`TrackingTextFile`, written with blanks, commas and tabs respectively). Every failure throws
/// `TrackingRecordingError` naming the file.
class TrackingRecordingFile
{
public:
    /// `transformName` names the single transform of plain text files (see `TrackingTextFile::fromText`);
    /// sequence metafiles name their own.
    static TrackingRecording read(const std::string& path, const std::string& transformName = "");
    /// Writes atomically: the file is either replaced whole or left as it was.
    static void write(const TrackingRecording& recording, const std::string& path);
};

}  // namespace Tesselon
