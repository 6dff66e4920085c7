#include "host/core/io/ImageFileError.h"
#include "host/core/io/ImageVolumeFile.h"
#include "host/core/io/NiftiHeader.h"
#include "tests/fuzz/FuzzInput.h"

// Hostile NIfTI files: a plain header is refused or read in memory; a plain header that passes, and any
// gzip-compressed file, goes to the whole reader, which must refuse or read it without VTK crashing.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace Tesselon;
    const std::string_view bytes = Fuzz::textOf(data, size);
    const bool compressed = bytes.starts_with("\x1f\x8b");
    try {
        if (!compressed)
            NiftiHeader::fromBytes(bytes, "fuzz.nii");
        ImageVolumeFile::read(Fuzz::writtenAs(compressed ? "fuzz.nii.gz" : "fuzz.nii", bytes));
    } catch (const ImageFileError&) {
    }
    return 0;
}
