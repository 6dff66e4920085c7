#include "host/core/io/MarkupsJsonFile.h"
#include "host/core/io/PointListFileError.h"
#include "tests/fuzz/FuzzInput.h"

// Hostile markups JSON; what is read writes and reads back the same.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace Tesselon;
    Fuzz::readWriteRead<PointListFileError>(
        Fuzz::textOf(data, size),
        [](std::string_view text) { return MarkupsJsonFile::fromText(text, "fuzz.mrk.json"); },
        [](const PointList& points) { return MarkupsJsonFile::toText(points); },
        [](const PointList& a, const PointList& b) { return a.points == b.points; });
    return 0;
}
