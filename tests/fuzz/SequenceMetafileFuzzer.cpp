#include "host/core/io/SequenceMetafile.h"
#include "host/core/io/TrackingRecordingError.h"
#include "tests/fuzz/FuzzInput.h"

// Hostile sequence metafile headers: either refused with TrackingRecordingError or read, and what is read
// and can be written reads back the same.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace Tesselon;
    TrackingRecording recording;
    try {
        recording = SequenceMetafile::fromText(Fuzz::textOf(data, size), "fuzz.mha");
    } catch (const TrackingRecordingError&) {
        return 0;
    }
    std::string text;
    try {
        text = SequenceMetafile::toText(recording);
    } catch (const TrackingRecordingError&) {
        return 0;  // names that cannot be keys
    }
    Fuzz::require(SequenceMetafile::fromText(text).frames == recording.frames,
                  "a written recording reads back");
    return 0;
}
