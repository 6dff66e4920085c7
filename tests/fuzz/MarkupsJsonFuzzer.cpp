#include "host/core/io/MarkupsJsonFile.h"
#include "host/core/io/PointListFileError.h"
#include "tests/fuzz/FuzzInput.h"

// Hostile markups JSON: either refused with PointListFileError or read, and what is read writes and reads
// back the same.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace Tesselon;
    PointList points;
    try {
        points = MarkupsJsonFile::fromText(Fuzz::textOf(data, size), "fuzz.mrk.json");
    } catch (const PointListFileError&) {
        return 0;
    }
    Fuzz::require(MarkupsJsonFile::fromText(MarkupsJsonFile::toText(points)).points == points.points,
                  "written points read back");
    return 0;
}
