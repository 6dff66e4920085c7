#include "host/core/io/PointCsvFile.h"
#include "host/core/io/PointListFileError.h"
#include "tests/fuzz/FuzzInput.h"

// Hostile point CSV; what is read and can be written reads back the same.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace Tesselon;
    Fuzz::readWriteRead<PointListFileError>(
        Fuzz::textOf(data, size),
        [](std::string_view text) { return PointCsvFile::fromText(text, "fuzz.csv"); },
        [](const PointList& points) { return PointCsvFile::toText(points); },
        [](const PointList& a, const PointList& b) { return a.points == b.points; });
    return 0;
}
