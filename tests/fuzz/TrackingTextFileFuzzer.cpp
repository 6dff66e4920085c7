#include "host/core/io/TrackingRecordingError.h"
#include "host/core/io/TrackingTextFile.h"
#include "tests/fuzz/FuzzInput.h"

// Hostile text recordings: either refused with TrackingRecordingError or read, and what is read and can be
// written reads back the same.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace Tesselon;
    TrackingRecording recording;
    try {
        recording = TrackingTextFile::fromText(Fuzz::textOf(data, size), "fuzz.txt");
    } catch (const TrackingRecordingError&) {
        return 0;
    }
    std::string text;
    try {
        text = TrackingTextFile::toText(recording, size % 2 == 0 ? ' ' : ',');
    } catch (const TrackingRecordingError&) {
        return 0;  // names with control characters
    }
    Fuzz::require(TrackingTextFile::fromText(text).frames == recording.frames,
                  "a written recording reads back");
    return 0;
}
