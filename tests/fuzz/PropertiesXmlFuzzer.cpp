#include "host/core/io/PropertiesFile.h"
#include "tests/fuzz/FuzzInput.h"

// Hostile properties and workspace XML; what is read and can be written reads back the same.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace Tesselon;
    Fuzz::readWriteRead<PropertiesFileError>(
        Fuzz::textOf(data, size),
        [](std::string_view text) { return PropertiesFile::fromXml(text, "fuzz.xml"); },
        [](const Properties& properties) { return PropertiesFile::toXml(properties); },
        [](const Properties& a, const Properties& b) { return a == b; });
    return 0;
}
