#include "host/core/io/PointCsvFile.h"
#include "host/core/io/PointListFileError.h"
#include "tests/fuzz/FuzzInput.h"

// Hostile point CSV: either refused with PointListFileError or read, and what is read and can be written
// reads back the same.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace Tesselon;
    PointList points;
    try {
        points = PointCsvFile::fromText(Fuzz::textOf(data, size), "fuzz.csv");
    } catch (const PointListFileError&) {
        return 0;
    }
    std::string text;
    try {
        text = PointCsvFile::toText(points);
    } catch (const PointListFileError&) {
        return 0;  // labels holding a line break
    }
    Fuzz::require(PointCsvFile::fromText(text).points == points.points, "written points read back");
    return 0;
}
