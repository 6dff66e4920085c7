#pragma once

#include "host/core/io/PointList.h"

#include <string>

namespace Tesselon {

/// Point list files, in the format their name's ending gives (case ignored): .json (as in .mrk.json) is
/// markups JSON (`MarkupsJsonFile`), .csv comma-separated text (`PointCsvFile`). Every failure throws
/// `PointListFileError` naming the file.
class PointListFile
{
public:
    static PointList read(const std::string& path);
    /// Writes atomically: the file is either replaced whole or left as it was.
    static void write(const PointList& points, const std::string& path);
};

}  // namespace Tesselon
