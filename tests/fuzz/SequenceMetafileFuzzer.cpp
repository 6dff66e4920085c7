#include "host/core/io/SequenceMetafile.h"
#include "host/core/io/TrackingRecordingError.h"
#include "tests/fuzz/FuzzInput.h"

// Hostile sequence metafile headers; what is read and can be written reads back the same.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace Tesselon;
    Fuzz::readWriteRead<TrackingRecordingError>(
        Fuzz::textOf(data, size),
        [](std::string_view text) { return SequenceMetafile::fromText(text, "fuzz.mha"); },
        [](const TrackingRecording& recording) { return SequenceMetafile::toText(recording); },
        [](const TrackingRecording& a, const TrackingRecording& b) { return a.frames == b.frames; });
    return 0;
}
