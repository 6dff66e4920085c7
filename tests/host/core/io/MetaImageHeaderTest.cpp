#include "host/core/io/ImageFileError.h"
#include "host/core/io/MetaImageHeader.h"

#include "tests/support/MalformedTexts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Tesselon {
namespace {

using namespace Tesselon::Test;

const std::string end = "ElementType = MET_FLOAT\nElementDataFile = LOCAL\n";

TEST(MetaImageHeader, MalformedHeadersNameTheLine)
{
    const std::string start = "NDims = 3\nDimSize = 4 5 6\n";
    const std::vector<Malformed> cases = {
        {"no NDims", "DimSize = 4 5 6\n" + end, 0, "the header has no \"NDims = ...\""},
        {"four dimensions", "NDims = 4\nDimSize = 4 5 6 7\n" + end, 1,
         "expected 2 or 3 dimensions (NDims), found \"4\""},
        {"no DimSize", "NDims = 3\n" + end, 0, "no \"DimSize = ...\""},
        {"two sizes", "NDims = 3\nDimSize = 4 5\n" + end, 2, "expected 3 sizes (NDims), found 2"},
        {"zero size", "NDims = 3\nDimSize = 4 0 6\n" + end, 2, "expected a positive size, found \"0\""},
        {"negative spacing", start + "ElementSpacing = 1 -1 1\n" + end, 3, "expected positive spacings"},
        {"word in offset", start + "Offset = 1 two 3\n" + end, 3,
         "expected a finite number in an offset, found \"two\""},
        {"short direction", start + "TransformMatrix = 1 0 0 0 1 0 0 0\n" + end, 3,
         "expected 9 numbers for a direction matrix, found 8"},
        {"singular direction", start + "TransformMatrix = 1 0 0 1 0 0 0 0 1\n" + end, 3,
         "the direction matrix is singular"},
        {"two offsets", start + "Offset = 1 2 3\nPosition = 1 2 3\n" + end, 4,
         "\"Position\" repeats \"Offset\" on line 3"},
        {"two byte orders", start + "BinaryDataByteOrderMSB = False\nElementByteOrderMSB = True\n" + end, 4,
         "\"ElementByteOrderMSB\" repeats \"BinaryDataByteOrderMSB\" on line 3"},
        {"repeated key", start + "DimSize = 4 5 6\n" + end, 3,
         "the key \"DimSize\" appears twice; first on line 2"},
        {"no equals", start + "just words\n" + end, 3, "expected \"key = value\", found \"just words\""},
        {"unknown type", start + "ElementType = MET_BOGUS\nElementDataFile = LOCAL\n", 3,
         "unsupported ElementType \"MET_BOGUS\""},
        {"no type", start + "ElementDataFile = LOCAL\n", 0, "no \"ElementType = ...\""},
        {"two channels", start + "ElementNumberOfChannels = 3\n" + end, 3,
         "expected \"ElementNumberOfChannels = 1\""},
        {"not an image", "ObjectType = Tube\n" + start + end, 1,
         "expected \"ObjectType = Image\", found \"Tube\""},
        {"text voxels", start + "BinaryData = False\n" + end, 3, "voxels written as text"},
        {"odd flag", start + "CompressedData = yes\n" + end, 3, "expected True or False for CompressedData"},
        {"header size", start + "HeaderSize = -1\n" + end, 3, "expected \"HeaderSize = 0\""},
        {"unknown modality", start + "Modality = MET_MOD_PET\n" + end, 3, "unknown Modality \"MET_MOD_PET\""},
        {"slice files", start + "ElementType = MET_FLOAT\nElementDataFile = slice%03d.raw 1 6 1\n", 4,
         "voxels split over several files are not supported"},
        {"no data file", start + "ElementType = MET_FLOAT\n", 0,
         "the header ends without \"ElementDataFile = ...\""},
        // Longer ones overflowed a buffer in VTK's reader.
        {"long key", start + std::string(255, 'k') + " = 1\n" + end, 3,
         "a key or value holds 255 characters; MetaImage keys and values hold at most 254"},
        {"long name", start + "Name = " + std::string(300, 'n') + "\n" + end, 3, "holds 300 characters"},
    };
    expectEachNamed<ImageFileError>(cases, "bad.mha", MetaImageHeader::fromText);
}

}  // namespace
}  // namespace Tesselon
