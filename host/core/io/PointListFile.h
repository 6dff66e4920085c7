#pragma once

#include "host/core/io/Markup.h"
#include "host/core/io/PointList.h"

#include <string>
#include <vector>

namespace Tesselon {

/// Point list files, in the format their name's ending gives (case ignored): .json (as in .mrk.json) is
/// markups JSON (`MarkupsJsonFile`), .csv comma-separated text (`PointCsvFile`). Every failure throws
/// `PointListFileError` naming the file.
class PointListFile
{
public:
    static PointList read(const std::string& path);
    /// The file's markups one by one; a comma-separated file is one unnamed Fiducial markup.
    static std::vector<Markup> readMarkups(const std::string& path);
    /// Writes atomically: the file is either replaced whole or left as it was.
    static void write(const PointList& points, const std::string& path);
};

}  // namespace Tesselon
