#include "host/core/io/ImageFileError.h"
#include "host/core/io/ImageVolumeFile.h"
#include "host/core/io/MetaImageHeader.h"
#include "tests/fuzz/FuzzInput.h"

// Hostile MetaImage files: the header is refused or read in memory; a header that passes goes to VTK's
// reader with the voxels that follow it, which must refuse or read them without crashing.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace Tesselon;
    const std::string_view bytes = Fuzz::textOf(data, size);
    try {
        MetaImageHeader::fromText(bytes, "fuzz.mha");
        ImageVolumeFile::read(Fuzz::writtenAs("fuzz.mha", bytes));
    } catch (const ImageFileError&) {
    }
    return 0;
}
