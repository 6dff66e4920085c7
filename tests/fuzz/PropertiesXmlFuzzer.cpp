#include "host/core/io/PropertiesFile.h"
#include "tests/fuzz/FuzzInput.h"

// Hostile properties and workspace XML: either refused with PropertiesFileError or read, and what is read
// and can be written reads back the same.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace Tesselon;
    Properties properties;
    try {
        properties = PropertiesFile::fromXml(Fuzz::textOf(data, size), "fuzz.xml");
    } catch (const PropertiesFileError&) {
        return 0;
    }
    std::string xml;
    try {
        xml = PropertiesFile::toXml(properties);
    } catch (const PropertiesFileError&) {
        return 0;
    }
    Fuzz::require(PropertiesFile::fromXml(xml) == properties, "written properties read back");
    return 0;
}
