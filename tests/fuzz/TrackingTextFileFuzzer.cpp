#include "host/core/io/TrackingRecordingError.h"
#include "host/core/io/TrackingTextFile.h"
#include "tests/fuzz/FuzzInput.h"

// Hostile text recordings; what is read and can be written (with commas for odd sizes) reads back the same.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace Tesselon;
    Fuzz::readWriteRead<TrackingRecordingError>(
        Fuzz::textOf(data, size),
        [](std::string_view text) { return TrackingTextFile::fromText(text, "fuzz.txt"); },
        [&](const TrackingRecording& recording) {
            return TrackingTextFile::toText(recording, size % 2 == 0 ? ' ' : ',');
        },
        [](const TrackingRecording& a, const TrackingRecording& b) { return a.frames == b.frames; });
    return 0;
}
