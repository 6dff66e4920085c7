#include "host/core/io/NiftiHeader.h"

#include "host/core/io/ImageFileError.h"

#include <fmt/format.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

namespace Tesselon {

namespace {

constexpr std::size_t version1Size = 348;
constexpr std::string_view version1Magic{"n+1\0", 4};
constexpr std::string_view version1PairMagic{"ni1\0", 4};
constexpr std::string_view version2Magic{"n+2\0\r\n\032\n", 8};
// No file holds more; larger declared sizes only mean the arithmetic would overflow.
constexpr std::uint64_t largestDeclared = std::uint64_t{1} << 62;

struct DataType
{
    int code;
    std::string_view name;
    int bytes;
    int values;  ///< per voxel
};

// The types VTK's reader knows; only those of one value per voxel become an image here.
constexpr std::array<DataType, 14> dataTypes{{
    {2, "UINT8", 1, 1},
    {4, "INT16", 2, 1},
    {8, "INT32", 4, 1},
    {16, "FLOAT32", 4, 1},
    {64, "FLOAT64", 8, 1},
    {256, "INT8", 1, 1},
    {512, "UINT16", 2, 1},
    {768, "UINT32", 4, 1},
    {1024, "INT64", 8, 1},
    {1280, "UINT64", 8, 1},
    {32, "COMPLEX64", 8, 2},
    {1792, "COMPLEX128", 16, 2},
    {128, "RGB24", 3, 3},
    {2304, "RGBA32", 4, 4},
}};

// Where each field lies in the two versions of the header.
struct Layout
{
    std::size_t size;
    std::size_t datatype;
    std::size_t dim;
    int dimBytes;
    std::size_t pixdim;
    std::size_t voxOffset;
    std::size_t qformCode;
    std::size_t sformCode;
    std::size_t quatern;  ///< b, c, d, then qoffset x, y, z
    std::size_t srow;     ///< the three rows of four
    int realBytes;
    int codeBytes;
};

constexpr Layout version1{348, 70, 40, 2, 76, 108, 252, 254, 256, 280, 4, 2};
constexpr Layout version2{540, 12, 16, 8, 104, 168, 344, 348, 352, 400, 8, 4};

class Reader
{
public:
    Reader(std::string_view bytes, std::string_view source) : m_bytes(bytes), m_source(source) {}

    NiftiHeader read()
    {
        NiftiHeader header;
        header.version = version();
        m_layout = header.version == 1 ? &version1 : &version2;
        readDimensions(header);
        readDataType(header);
        checkSpacing();
        checkOrientation();
        readVoxelOffset(header);
        if (header.voxelBytes() > largestDeclared)
            fail(fmt::format("the header declares {} x {} x {} voxels, more than any file can hold",
                             header.dimensions[0], header.dimensions[1], header.dimensions[2]));
        return header;
    }

private:
    // Also settles the byte order: the header size reads right only in the file's own.
    int version()
    {
        if (m_bytes.size() < version1Size)
            fail(fmt::format("the file holds {} bytes, fewer than the {} of a NIfTI header", m_bytes.size(),
                             version1Size));
        const auto size = integer(0, 4);
        m_bigEndian = size != 348 && size != 540;
        const auto inFileOrder = integer(0, 4);
        if (inFileOrder == 348)
            return checkVersion1();
        if (inFileOrder == 540)
            return checkVersion2();
        fail(fmt::format("not a NIfTI file: its header size is {}; expected 348 or 540", size));
    }

    int checkVersion1() const
    {
        const std::string_view magic = m_bytes.substr(344, 4);
        if (magic == version1PairMagic)
            fail("the header keeps its voxels in a separate .img file; expected a single .nii file");
        if (magic != version1Magic)
            fail("not a NIfTI file: it lacks the mark \"n+1\" at byte 344");
        return 1;
    }

    int checkVersion2() const
    {
        if (m_bytes.size() < version2.size)
            fail(fmt::format("the file holds {} bytes, fewer than the {} of a NIfTI-2 header", m_bytes.size(),
                             version2.size));
        const std::string_view magic = m_bytes.substr(4, version2Magic.size());
        if (magic.substr(0, 4) == version2Magic.substr(0, 4) && magic != version2Magic)
            fail("the NIfTI-2 header was damaged by a conversion of line ends");
        if (magic != version2Magic)
            fail("not a NIfTI file: it lacks the mark \"n+2\" at byte 4");
        return 2;
    }

    void readDimensions(NiftiHeader& header) const
    {
        const std::int64_t count = dim(0);
        if (count < 1 || count > 7)
            fail(fmt::format("expected 1 to 7 dimensions (dim[0]), found {}", count));
        for (int axis = 1; axis <= count; ++axis) {
            const std::int64_t size = dim(axis);
            if (size < 1 || size > std::numeric_limits<std::int32_t>::max())
                fail(fmt::format("dimension {} (dim[{}]) is {}; expected 1 to {}", axis, axis, size,
                                 std::numeric_limits<std::int32_t>::max()));
            if (axis <= 3)
                header.dimensions[static_cast<std::size_t>(axis - 1)] = size;
        }
        if (count >= 4 && dim(4) > 1)
            fail(fmt::format("the file holds a series of {} volumes; expected a single volume", dim(4)));
        if (count >= 5 && dim(5) > 1)
            fail(fmt::format("expected one value per voxel, found {} (vectors are not supported)", dim(5)));
        for (int axis = 6; axis <= count; ++axis)
            if (dim(axis) > 1)
                fail(fmt::format("dimension {} holds {} volumes; expected a single volume", axis, dim(axis)));
    }

    void readDataType(NiftiHeader& header) const
    {
        const auto code = static_cast<int>(integer(m_layout->datatype, 2));
        const auto type = std::find_if(dataTypes.begin(), dataTypes.end(),
                                       [code](const DataType& known) { return known.code == code; });
        if (type == dataTypes.end())
            fail(
                fmt::format("unsupported voxel type {} (datatype); expected a type of integers or floating "
                            "point numbers",
                            code));
        if (type->values != 1)
            fail(
                fmt::format("expected one value per voxel, found {} ({}: colours or complex numbers are not "
                            "supported)",
                            type->values, type->name));
        header.datatype = code;
        header.bytesPerVoxel = type->bytes;
    }

    void checkSpacing() const
    {
        for (std::size_t axis = 0; axis <= 3; ++axis)
            if (!std::isfinite(real(m_layout->pixdim, axis)))
                fail(fmt::format("the voxel size pixdim[{}] is {}; expected a finite number", axis,
                                 real(m_layout->pixdim, axis)));
    }

    // Only the forms in use: a code of 0 or less leaves a form out.
    void checkOrientation() const
    {
        if (integer(m_layout->qformCode, m_layout->codeBytes) > 0)
            checkFinite(m_layout->quatern, 6, "the qform (quatern_b to qoffset_z)");
        if (integer(m_layout->sformCode, m_layout->codeBytes) > 0)
            checkFinite(m_layout->srow, 12, "the sform (srow_x to srow_z)");
    }

    void checkFinite(std::size_t offset, std::size_t count, std::string_view what) const
    {
        for (std::size_t i = 0; i < count; ++i)
            if (!std::isfinite(real(offset, i)))
                fail(fmt::format("{} holds {}; expected finite numbers", what, real(offset, i)));
    }

    void readVoxelOffset(NiftiHeader& header) const
    {
        const double offset = m_layout->realBytes == 4 ? real(m_layout->voxOffset, 0)
                                                       : static_cast<double>(integer(m_layout->voxOffset, 8));
        if (!(offset >= static_cast<double>(m_layout->size) &&
              offset <= static_cast<double>(largestDeclared)))
            fail(fmt::format("the voxels start at byte {} (vox_offset); expected {} or more, past the header",
                             offset, m_layout->size));
        header.voxelOffset = static_cast<std::uint64_t>(offset);
    }

    std::int64_t dim(int index) const
    {
        return integer(m_layout->dim + static_cast<std::size_t>(index * m_layout->dimBytes),
                       m_layout->dimBytes);
    }

    // A signed integer of `size` bytes in the file's byte order.
    std::int64_t integer(std::size_t offset, int size) const
    {
        std::uint64_t value = 0;
        for (int i = 0; i < size; ++i) {
            const int byte = m_bigEndian ? i : size - 1 - i;
            value = value << 8 | static_cast<unsigned char>(m_bytes[offset + static_cast<std::size_t>(byte)]);
        }
        const int unused = 64 - 8 * size;
        return static_cast<std::int64_t>(value << unused) >> unused;
    }

    // Element `index` of an array of the version's floating point numbers.
    double real(std::size_t offset, std::size_t index) const
    {
        const auto size = m_layout->realBytes;
        const std::int64_t bits = integer(offset + index * static_cast<std::size_t>(size), size);
        if (size == 4)
            return std::bit_cast<float>(static_cast<std::uint32_t>(bits));
        return std::bit_cast<double>(bits);
    }

    [[noreturn]] void fail(std::string reason) const { throw ImageFileError(m_source, 0, std::move(reason)); }

    std::string_view m_bytes;
    std::string m_source;
    const Layout* m_layout = &version1;
    bool m_bigEndian = false;
};

}  // namespace

std::uint64_t NiftiHeader::voxelBytes() const
{
    std::uint64_t bytes = static_cast<std::uint64_t>(bytesPerVoxel);
    for (const std::int64_t size : dimensions) {
        if (bytes > largestDeclared / static_cast<std::uint64_t>(size))
            return std::numeric_limits<std::uint64_t>::max();
        bytes *= static_cast<std::uint64_t>(size);
    }
    return bytes;
}

NiftiHeader NiftiHeader::fromBytes(std::string_view bytes, std::string_view sourceName)
{
    return Reader(bytes, sourceName).read();
}

}  // namespace Tesselon
