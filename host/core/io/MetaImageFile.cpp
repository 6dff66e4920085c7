#include "host/core/io/MetaImageFile.h"

#include "host/core/io/FileAccess.h"
#include "host/core/io/ImageFileError.h"
#include "host/core/io/MetaImageHeader.h"
#include "host/core/io/VtkImageValues.h"
#include "host/core/io/VtkMessageCapture.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <vtkImageData.h>
#include <vtkMetaImageReader.h>
#include <vtkNew.h>

#include <zlib.h>

#include <fmt/format.h>

#include <Eigen/LU>

#include <array>
#include <bit>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

namespace Tesselon {

namespace {

constexpr qint64 inflateChunk = 1 << 16;

void openForReading(QFile& file, const std::string& path, const std::string& what)
{
    if (const auto problem = FileAccess::notRegularFile(file.fileName().toStdString(), what))
        throw ImageFileError(path, 0, *problem);
    if (!file.open(QIODevice::ReadOnly))
        throw ImageFileError(
            path, 0, fmt::format("cannot open {} for reading: {}", what, file.errorString().toStdString()));
}

// Null when the count does not fit in 64 bits, which no file can hold.
std::optional<std::uint64_t> voxelBytes(const MetaImageHeader& header)
{
    std::uint64_t bytes = static_cast<std::uint64_t>(header.elementSize());
    for (const int size : header.dimensions) {
        if (bytes > std::numeric_limits<std::uint64_t>::max() / static_cast<std::uint64_t>(size))
            return std::nullopt;
        bytes *= static_cast<std::uint64_t>(size);
    }
    return bytes;
}

class VoxelCheck
{
public:
    VoxelCheck(const MetaImageHeader& header, const std::string& path)
        : m_header(header),
          m_path(path),
          m_local(header.dataFile == "LOCAL"),
          m_file(m_local ? QString::fromStdString(path)
                         : QFileInfo(QString::fromStdString(path))
                               .dir()
                               .filePath(QString::fromStdString(header.dataFile)))
    {
    }

    void run()
    {
        openForReading(
            m_file, m_path,
            m_local ? "the file"
                    : fmt::format("the voxel file \"{}\"", ImageFileError::excerpt(m_header.dataFile)));
        const qint64 offset = m_local ? static_cast<qint64>(m_header.size) : 0;
        const qint64 available = m_file.size() - offset;
        const std::optional<std::uint64_t> expected = voxelBytes(m_header);
        if (!expected)
            fail("the image is too large to hold in memory");
        if (m_header.compressed && *expected > FileAccess::largestInflated)
            fail(
                fmt::format("the header declares {} bytes of voxels ({}), more than the {} bytes (512 MiB) "
                            "that compressed voxels may inflate to",
                            *expected, description(), FileAccess::largestInflated));
        if (!m_header.compressed) {
            if (static_cast<std::uint64_t>(available) != *expected)
                fail(fmt::format("expected {} bytes of voxels ({}), found {}", *expected, description(),
                                 available));
            return;
        }
        checkCompressedSize(available);
        m_file.seek(offset);
        inflateAll(*expected);
    }

private:
    std::string description() const
    {
        const auto& size = m_header.dimensions;
        return fmt::format("{} x {} x {} {}", size[0], size[1], size[2], m_header.elementType);
    }

    // VTK's reader fails silently when it cannot tell where compressed voxels end.
    void checkCompressedSize(qint64 available) const
    {
        if (!m_header.compressedSize && m_local)
            fail("compressed voxels inside the header file need \"CompressedDataSize = ...\"");
        if (m_header.compressedSize && *m_header.compressedSize != available)
            fail(fmt::format("CompressedDataSize is {} bytes but {} follow", *m_header.compressedSize,
                             available));
    }

    void inflateAll(std::uint64_t expected)
    {
        z_stream stream{};
        if (inflateInit(&stream) != Z_OK)
            fail("cannot start decompressing the voxels");
        std::vector<Bytef> input(static_cast<std::size_t>(inflateChunk));
        std::vector<Bytef> output(static_cast<std::size_t>(inflateChunk) * 4);
        std::uint64_t produced = 0;
        int status = Z_OK;
        while (status != Z_STREAM_END) {
            if (stream.avail_in == 0 && !refill(stream, input))
                break;
            stream.next_out = output.data();
            stream.avail_out = static_cast<uInt>(output.size());
            status = inflate(&stream, Z_NO_FLUSH);
            produced += output.size() - stream.avail_out;
            // More than declared is wrong already; inflating the rest would only cost time.
            if (produced > expected || (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR))
                break;
        }
        const bool trailing = stream.avail_in > 0 || !m_file.atEnd();
        inflateEnd(&stream);
        checkInflated(status, trailing, produced, expected);
    }

    bool refill(z_stream& stream, std::vector<Bytef>& input)
    {
        const qint64 read = m_file.read(reinterpret_cast<char*>(input.data()), inflateChunk);
        if (read < 0)
            fail("cannot read the voxels: " + m_file.errorString().toStdString());
        stream.next_in = input.data();
        stream.avail_in = static_cast<uInt>(read);
        return read > 0;
    }

    void checkInflated(int status, bool trailing, std::uint64_t produced, std::uint64_t expected) const
    {
        if (produced > expected)
            fail(fmt::format("the compressed voxels inflate to more than the {} bytes expected ({})",
                             expected, description()));
        if (status == Z_DATA_ERROR || status == Z_NEED_DICT)
            fail("the compressed voxels are corrupt");
        if (status != Z_STREAM_END)
            fail("the compressed voxels end early");
        if (trailing)
            fail("stray bytes follow the compressed voxels");
        if (produced != expected)
            fail(fmt::format("the compressed voxels inflate to {} bytes; expected {} ({})", produced,
                             expected, description()));
    }

    [[noreturn]] void fail(const std::string& reason) const { throw ImageFileError(m_path, 0, reason); }

    const MetaImageHeader& m_header;
    const std::string& m_path;
    bool m_local;
    QFile m_file;
};

std::vector<float> readVoxels(const MetaImageHeader& header, const std::string& path)
{
    vtkNew<vtkMetaImageReader> reader;
    VtkMessageCapture messages(*reader);
    reader->SetFileName(path.c_str());
    reader->Update();
    messages.throwIfFailed(path, "cannot read MetaImage voxels");
    vtkImageData& image = *reader->GetOutput();
    std::array<int, 3> dimensions{};
    image.GetDimensions(dimensions.data());
    if (dimensions != header.dimensions)
        throw ImageFileError(
            path, 0,
            fmt::format("VTK read {} x {} x {} voxels where the header declares {} x {} x {}", dimensions[0],
                        dimensions[1], dimensions[2], header.dimensions[0], header.dimensions[1],
                        header.dimensions[2]));
    return VtkImageValues::toFloats(image, path);
}

MetaImageHeader headerOf(const SharedImageSet& image, const std::string& path)
{
    const Eigen::Matrix4d pose = image.matrix();
    if (!pose.allFinite() || pose.row(3) != Eigen::RowVector4d(0, 0, 0, 1))
        throw ImageFileError(path, 0,
                             "the image's pose is not an affine transform, which MetaImage cannot hold");
    MetaImageHeader header;
    header.dimensions = image.dimensions();
    header.spacing = image.spacing();
    header.direction = pose.topLeftCorner<3, 3>();
    if (header.direction.determinant() == 0)
        throw ImageFileError(path, 0, "the image's pose is singular, which MetaImage cannot hold");
    header.offset = pose.topRightCorner<3, 1>();
    header.modality = image.modality();
    header.elementType = "MET_FLOAT";
    header.bigEndian =
        std::endian::native == std::endian::big;  // the voxels are written as they lie in memory
    return header;
}

}  // namespace

std::unique_ptr<SharedImageSet> MetaImageFile::read(const std::string& path)
{
    const QByteArray text = FileAccess::readMetaHeader<ImageFileError>(path);
    const MetaImageHeader header = MetaImageHeader::fromText(
        std::string_view(text.constData(), static_cast<std::size_t>(text.size())), path);
    VoxelCheck(header, path).run();
    auto image =
        std::make_unique<SharedImageSet>(header.dimensions, header.spacing, readVoxels(header, path));
    image->setMatrix(header.imageToWorld());
    image->setModality(header.modality);
    return image;
}

void MetaImageFile::write(const SharedImageSet& image, const std::string& path)
{
    const std::string header = headerOf(image, path).toText();
    const std::vector<float>& values = image.values();
    const std::string_view voxels(reinterpret_cast<const char*>(values.data()),
                                  values.size() * sizeof(float));
    FileAccess::writeAtomically<ImageFileError>(path, {header, voxels});
}

}  // namespace Tesselon
