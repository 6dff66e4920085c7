#include "host/core/io/ImageFileError.h"
#include "host/core/io/ImageVolumeFile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <Eigen/Geometry>

#include <gmock/gmock.h>
#include "tests/support/FormatErrors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace Tesselon {
namespace {

// Voxel (i, j, k) of the 4 x 5 x 6 test grids holds i + 4 j + 20 k, so a value tells where the file put it.
constexpr int voxelCount = 120;

Eigen::Vector3d fileIndexOf(float value)
{
    const int index = static_cast<int>(value);
    return {static_cast<double>(index % 4), static_cast<double>(index / 4 % 5),
            static_cast<double>(index / 20)};
}

template <class Value>
QByteArray bytesOf(const std::vector<Value>& values)
{
    return QByteArray(reinterpret_cast<const char*>(values.data()),
                      static_cast<int>(values.size() * sizeof(Value)));
}

template <class Value>
std::vector<Value> indexValues(int count = voxelCount)
{
    std::vector<Value> values(static_cast<std::size_t>(count));
    for (int index = 0; index < count; ++index)
        values[static_cast<std::size_t>(index)] = static_cast<Value>(index);
    return values;
}

class ImageVolumeFileTest : public testing::Test
{
protected:
    std::string path(const std::string& name) const
    {
        return m_directory.filePath(QString::fromStdString(name)).toStdString();
    }

    std::string written(const std::string& name, const QByteArray& bytes) const
    {
        QFile file(QString::fromStdString(path(name)));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path(name);
    }

    ImageFileError failure(const std::function<void()>& action) const
    {
        return Tesselon::Test::caught<ImageFileError>(action);
    }

    /// Reading these bytes fails quietly with an error naming the file and giving `expected` as reason.
    void expectReadFails(const std::string& name, const QByteArray& bytes, const std::string& expected) const
    {
        SCOPED_TRACE(name);
        const std::string file = written(name, bytes);
        testing::internal::CaptureStderr();
        testing::internal::CaptureStdout();
        const ImageFileError error = failure([&] { ImageVolumeFile::read(file); });
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_EQ(error.source(), file);
        EXPECT_THAT(error.reason(), testing::HasSubstr(expected)) << error.what();
    }

    QTemporaryDir m_directory;
};

// ---- MetaImage ----

const QByteArray metaHeader =
    "ObjectType = Image\nNDims = 3\nBinaryData = True\nBinaryDataByteOrderMSB = False\n"
    "TransformMatrix = 0 1 0 -1 0 0 0 0 1\nOffset = 10 20 30\nElementSpacing = 0.5 1.5 2\nDimSize = 4 5 6\n"
    "Modality = MET_MOD_CT\n";

QByteArray metaImage(const QByteArray& fields, const QByteArray& voxels,
                     const QByteArray& header = metaHeader)
{
    return header + fields + "ElementDataFile = LOCAL\n" + voxels;
}

TEST_F(ImageVolumeFileTest, MetaImagePlacesVoxelsOfEveryLayoutByItsDirectionOffsetAndSpacing)
{
    const auto image = ImageVolumeFile::read(
        written("volume.mha", metaImage("ElementType = MET_FLOAT\n", bytesOf(indexValues<float>()))));
    EXPECT_EQ(image->name(), "volume");
    EXPECT_EQ(image->kind(), Data::Kind::Volume);
    EXPECT_EQ(image->modality(), SharedImageSet::CT);
    EXPECT_EQ(image->dimensions(), (std::array<int, 3>{4, 5, 6}));
    EXPECT_EQ(image->spacing(), Eigen::Vector3d(0.5, 1.5, 2));
    EXPECT_EQ(image->valueAt(1, 2, 3), 69.0f);
    // Offset + 1 x 0.5 along (0, 1, 0) + 2 x 1.5 along (-1, 0, 0) + 3 x 2 along (0, 0, 1).
    EXPECT_EQ(image->voxelToWorld() * Eigen::Vector4d(1, 2, 3, 1), Eigen::Vector4d(7, 20.5, 36, 1));
    EXPECT_EQ(image->matrix() * Eigen::Vector4d(0.5, 3, 6, 1), Eigen::Vector4d(7, 20.5, 36, 1));

    // Two dimensions make one slice, and the synonyms of the keys count.
    const QByteArray text =
        "NDims = 2\nDimSize = 4 5\nElementSize = 0.5 1.5\nOrientation = 0 1 -1 0\n"
        "Origin = 10 20\nElementType = MET_FLOAT\nElementDataFile = LOCAL\n";
    const auto slice = ImageVolumeFile::read(written("slice.mha", text + bytesOf(indexValues<float>(20))));
    EXPECT_EQ(slice->kind(), Data::Kind::Image);
    EXPECT_EQ(slice->dimensions(), (std::array<int, 3>{4, 5, 1}));
    EXPECT_EQ(slice->voxelToWorld() * Eigen::Vector4d(1, 2, 0, 1), Eigen::Vector4d(7, 20.5, 0, 1));

    std::vector<std::int16_t> bigEndian = indexValues<std::int16_t>();
    for (std::int16_t& value : bigEndian) {
        value = static_cast<std::int16_t>(-value);
        value = static_cast<std::int16_t>(static_cast<std::uint16_t>(value) >> 8 |
                                          static_cast<std::uint16_t>(value) << 8);
    }
    const QByteArray doubles = bytesOf(indexValues<double>());
    const QByteArray compressed = qCompress(doubles).mid(4);  // a bare zlib stream without Qt's size prefix
    written("external.raw", bytesOf(indexValues<std::uint8_t>()));
    written("external.zraw", compressed);
    const std::vector<std::pair<std::string, QByteArray>> files = {
        {"short-msb.mha", metaImage("ElementType = MET_SHORT\n", bytesOf(bigEndian),
                                    QByteArray(metaHeader).replace("MSB = False", "MSB = True"))},
        {"compressed.mha",
         metaImage(QByteArray("CompressedData = True\nCompressedDataSize = ") +
                       QByteArray::number(compressed.size()) + "\nElementType = MET_DOUBLE\n",
                   compressed)},
        {"external.mhd", metaHeader + "ElementType = MET_UCHAR\nElementDataFile = external.raw\n"},
        {"external-compressed.mhd",
         metaHeader + "CompressedData = True\nElementType = MET_DOUBLE\nElementDataFile = external.zraw\n"},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        const auto image = ImageVolumeFile::read(written(name, bytes));
        const float sign = name.starts_with("short") ? -1.0f : 1.0f;
        EXPECT_EQ(image->valueAt(1, 2, 3), sign * 69.0f);
        EXPECT_EQ(image->valueAt(3, 4, 5), sign * 119.0f);
    }
}

std::unique_ptr<SharedImageSet> awkwardImage(std::array<int, 3> dimensions, const Eigen::Matrix3d& rotation)
{
    std::vector<float> values(static_cast<std::size_t>(dimensions[0] * dimensions[1] * dimensions[2]));
    for (float& value : values)
        value = static_cast<float>(std::rand()) / 7.0f - 1000.0f;
    auto image = std::make_unique<SharedImageSet>(dimensions, Eigen::Vector3d(0.3, 1.0 / 3, 2.5), values);
    image->setMatrix((Eigen::Translation3d(-123.456, 0.1, 1e-7) * Eigen::Affine3d(rotation)).matrix());
    image->setModality(SharedImageSet::MR);
    return image;
}

Eigen::Matrix3d obliqueRotation()
{
    return Eigen::AngleAxisd(0.7, Eigen::Vector3d(1, 2, 3).normalized()).toRotationMatrix();
}

// ---- NIfTI ----

struct NiftiHeader
{
    std::array<std::int16_t, 8> dim{3, 4, 5, 6, 1, 1, 1, 1};
    std::int16_t datatype = 16;  // float32
    std::int16_t bitpix = 32;
    std::array<float, 8> pixdim{1, 0.5f, 1.5f, 2, 0, 0, 0, 0};  // pixdim[0] is qfac
    float slope = 0, intercept = 0;
    std::int16_t qformCode = 0;
    std::int16_t sformCode = 0;
    std::array<float, 6> quaternion{};  // b, c, d, then the offset
    std::array<float, 12> srow{};
    float voxOffset = 352;
};

template <class Value>
void put(QByteArray& bytes, int offset, const Value& value)
{
    std::memcpy(bytes.data() + offset, &value, sizeof(Value));
}

// A NIfTI-1 single file laid out by hand, independently of the library that reads it.
QByteArray niftiFile(const NiftiHeader& header, const QByteArray& voxels)
{
    QByteArray bytes(352, '\0');
    put(bytes, 0, std::int32_t{348});
    put(bytes, 40, header.dim);
    put(bytes, 70, header.datatype);
    put(bytes, 72, header.bitpix);
    put(bytes, 76, header.pixdim);
    put(bytes, 108, header.voxOffset);
    put(bytes, 112, header.slope);
    put(bytes, 116, header.intercept);
    put(bytes, 252, header.qformCode);
    put(bytes, 254, header.sformCode);
    put(bytes, 256, header.quaternion);
    put(bytes, 280, header.srow);
    std::memcpy(bytes.data() + 344, "n+1", 4);
    return bytes + voxels;
}

// The same file with every number of the header and of the float voxels in the other byte order.
QByteArray swappedNifti(QByteArray bytes)
{
    struct Field
    {
        int offset, size, count;
    };
    const std::vector<Field> fields = {{0, 4, 1},   {40, 2, 8},  {70, 2, 2},   {76, 4, 8},
                                       {108, 4, 3}, {252, 2, 2}, {256, 4, 18}, {352, 4, voxelCount}};
    for (const Field& field : fields)
        for (int i = 0; i < field.count; ++i)
            std::reverse(bytes.begin() + field.offset + i * field.size,
                         bytes.begin() + field.offset + (i + 1) * field.size);
    return bytes;
}

// A gzip member around `bytes`, without its checksum, which the reader checks only at the end.
QByteArray gzipOf(const QByteArray& bytes)
{
    const QByteArray zlib = qCompress(bytes).mid(4);  // without Qt's size prefix
    QByteArray gzip("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\xff", 10);
    gzip += zlib.mid(2, zlib.size() - 6);  // the raw deflate stream
    gzip += QByteArray(4, '\0');
    const auto size = static_cast<std::uint32_t>(bytes.size());
    return gzip + QByteArray(reinterpret_cast<const char*>(&size), 4);
}

const Eigen::Vector3d lpsFromRas(-1, -1, 1);

// Checks every voxel: the one holding the value of file voxel (i, j, k) must lie at rasOf(i, j, k).
void expectVoxelsAt(const SharedImageSet& image,
                    const std::function<Eigen::Vector3d(const Eigen::Vector3d&)>& rasOf)
{
    const Eigen::Matrix4d voxelToWorld = image.voxelToWorld();
    for (int k = 0; k < image.dimensions()[2]; ++k)
        for (int j = 0; j < image.dimensions()[1]; ++j)
            for (int i = 0; i < image.dimensions()[0]; ++i) {
                const Eigen::Vector3d world = (voxelToWorld * Eigen::Vector4d(i, j, k, 1)).head<3>();
                const Eigen::Vector3d expected =
                    lpsFromRas.cwiseProduct(rasOf(fileIndexOf(image.valueAt(i, j, k))));
                ASSERT_TRUE(world.isApprox(expected, 1e-6))
                    << i << " " << j << " " << k << ": " << world.transpose() << " instead of "
                    << expected.transpose();
            }
}

NiftiHeader quarterTurnQform(float qfac)
{
    NiftiHeader header;
    header.pixdim[0] = qfac;
    header.qformCode = 1;
    header.quaternion = {0, 0, std::sqrt(0.5f), 10, 20, 30};  // a quarter turn about z
    return header;
}

TEST_F(ImageVolumeFileTest, NiftiPlacesVoxelsInLpsByQformOrTheWinningSformAndScalesValues)
{
    const QByteArray voxels = bytesOf(indexValues<float>());
    const auto image = ImageVolumeFile::read(written("head.nii", niftiFile(quarterTurnQform(1), voxels)));
    EXPECT_EQ(image->name(), "head");
    EXPECT_EQ(image->modality(), SharedImageSet::UnknownModality);
    EXPECT_TRUE(image->spacing().isApprox(Eigen::Vector3d(0.5, 1.5, 2)));
    EXPECT_EQ(image->valueAt(1, 2, 3), 69.0f);
    // RAS (10, 20, 30) + 1 x 0.5 along (0, 1, 0) + 2 x 1.5 along (-1, 0, 0) + 3 x 2 along z, then LPS.
    const Eigen::Vector4d world = image->voxelToWorld() * Eigen::Vector4d(1, 2, 3, 1);
    EXPECT_TRUE(world.isApprox(Eigen::Vector4d(-7, -20.5, 36, 1), 1e-6)) << world.transpose();

    // With qfac -1 the file's k axis points down: the pose turns left-handed and voxels keep their place.
    const auto flipped =
        ImageVolumeFile::read(written("flipped.nii", niftiFile(quarterTurnQform(-1), voxels)));
    expectVoxelsAt(*flipped, [](const Eigen::Vector3d& index) {
        return Eigen::Vector3d(10 - 1.5 * index.y(), 20 + 0.5 * index.x(), 30 - 2 * index.z());
    });
    EXPECT_EQ(flipped->valueAt(1, 2, 3), 69.0f);  // indices stay the file's own
    const Eigen::Matrix3d direction = flipped->matrix().topLeftCorner<3, 3>();
    EXPECT_LT(direction.determinant(), 0);

    // Either byte order.
    const auto swapped = ImageVolumeFile::read(
        written("big-endian.nii", swappedNifti(niftiFile(quarterTurnQform(1), voxels))));
    EXPECT_EQ(swapped->values(), image->values());
    EXPECT_EQ(swapped->matrix(), image->matrix());

    NiftiHeader header = quarterTurnQform(1);
    header.sformCode = 2;
    header.srow = {0, -3, 0, 1, 2, 0, 0, 2, 0, 0, 4, 3};  // axes of 2, 3 and 4 mm; the qform disagrees
    const auto sformed = ImageVolumeFile::read(written("sform.nii", niftiFile(header, voxels)));
    EXPECT_TRUE(sformed->spacing().isApprox(Eigen::Vector3d(2, 3, 4)));
    expectVoxelsAt(*sformed, [](const Eigen::Vector3d& index) {
        return Eigen::Vector3d(1 - 3 * index.y(), 2 + 2 * index.x(), 3 + 4 * index.z());
    });

    const NiftiHeader plain{.datatype = 4, .bitpix = 16, .slope = 2, .intercept = -1};  // int16, scaled
    const auto unplaced =
        ImageVolumeFile::read(written("plain.nii", niftiFile(plain, bytesOf(indexValues<std::int16_t>()))));
    EXPECT_EQ(unplaced->valueAt(1, 2, 3), 137.0f);
    EXPECT_TRUE(
        unplaced->voxelToWorld().isApprox(Eigen::Vector4d(-0.5, -1.5, 2, 1).asDiagonal().toDenseMatrix()));
}

TEST_F(ImageVolumeFileTest, MetaImageRoundTripsExactlyAndNiftiToFloatPrecision)
{
    Eigen::Matrix3d mirrored = obliqueRotation();
    mirrored.col(2) *= -1;  // no rotation, so only the NIfTI sform can hold it
    for (const std::string name : {"round.mha", "round.nii", "round.nii.gz"})
        for (const Eigen::Matrix3d& direction : {obliqueRotation(), mirrored})
            for (const std::array<int, 3> dimensions :
                 {std::array<int, 3>{4, 5, 6}, std::array<int, 3>{7, 3, 1}}) {
                SCOPED_TRACE(testing::Message() << name << ", " << dimensions[2] << " slices, determinant "
                                                << direction.determinant());
                const auto image = awkwardImage(dimensions, direction);
                ImageVolumeFile::write(*image, path(name));
                const auto read = ImageVolumeFile::read(path(name));
                EXPECT_EQ(read->name(), "round");
                EXPECT_EQ(read->dimensions(), image->dimensions());
                EXPECT_EQ(read->values(), image->values());
                EXPECT_EQ(read->modality(),
                          name.ends_with(".mha") ? SharedImageSet::MR : SharedImageSet::UnknownModality);
                EXPECT_EQ(read->kind(), image->kind());
                if (name.ends_with(".mha")) {
                    EXPECT_EQ(read->spacing(), image->spacing());
                    EXPECT_EQ(read->matrix(), image->matrix());
                } else {
                    EXPECT_TRUE(read->spacing().isApprox(image->spacing(), 1e-6));
                    EXPECT_TRUE(read->matrix().isApprox(image->matrix(), 1e-5)) << read->matrix() << "\n\n"
                                                                                << image->matrix();
                }
            }
    QFile compressed(QString::fromStdString(path("round.nii.gz")));
    ASSERT_TRUE(compressed.open(QIODevice::ReadOnly));
    EXPECT_TRUE(compressed.read(2) == QByteArray("\x1f\x8b")) << "not gzip";
    EXPECT_EQ(QDir(m_directory.path()).entryList(QDir::Files | QDir::Hidden).size(), 3)
        << "temporary files left";
}

TEST_F(ImageVolumeFileTest, FailuresAndDamagedFilesNameTheFileAndWritingLeavesNone)
{
    const QByteArray voxels = bytesOf(indexValues<float>());
    NiftiHeader series = quarterTurnQform(1);
    series.dim = {4, 4, 5, 6, 2, 1, 1, 1};
    NiftiHeader vectors = quarterTurnQform(1);
    vectors.dim = {5, 4, 5, 6, 1, 3, 1, 1};
    const QByteArray valid = niftiFile(quarterTurnQform(1), voxels);
    ImageVolumeFile::write(*awkwardImage({40, 50, 60}, obliqueRotation()), path("whole.nii.gz"));
    QFile whole(QString::fromStdString(path("whole.nii.gz")));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray gzip = whole.readAll();
    const QByteArray compressed = qCompress(voxels).mid(4);
    QByteArray corrupt = compressed;
    corrupt[10] = static_cast<char>(corrupt[10] ^ 0x5a);
    const auto compressedImage = [&](const QByteArray& bytes, int declared) {
        return metaImage("CompressedData = True\nCompressedDataSize = " + QByteArray::number(declared) +
                             "\nElementType = MET_FLOAT\n",
                         bytes);
    };
    const QByteArray shortStream = qCompress(voxels.left(400)).mid(4);
    const std::vector<std::tuple<std::string, QByteArray, std::string>> cases = {
        {"garbage.nii", "not a header at all",
         "the file holds 19 bytes, fewer than the 348 of a NIfTI header"},
        {"cut-header.nii", valid.left(200), "fewer than the 348"},
        {"cut-voxels.nii", valid.left(500),
         "the header declares 4 x 5 x 6 voxels of 4 bytes from byte 352, 832 bytes in all, but the file "
         "holds 500"},
        {"cut.nii.gz", gzip.left(gzip.size() / 2), "cannot read NIfTI"},
        {"series.nii", niftiFile(series, voxels + voxels), "a series of 2 volumes; expected a single volume"},
        {"vectors.nii", niftiFile(vectors, voxels + voxels + voxels),
         "expected one value per voxel, found 3"},
        // Headers that crashed VTK's reader, and a compression bomb, are refused before it sees them.
        {"datatype 7.nii", niftiFile({.datatype = 7}, voxels), "unsupported voxel type 7"},
        {"zero dimension.nii", niftiFile({.dim = {3, 4, 0, 6, 1, 1, 1, 1}}, voxels),
         "dimension 2 (dim[2]) is 0; expected 1 to 2147483647"},
        {"colours.nii", niftiFile({.datatype = 128, .bitpix = 24}, voxels),
         "expected one value per voxel, found 3 (RGB24"},
        {"nan spacing.nii", niftiFile({.pixdim = {1, NAN, 1, 1, 0, 0, 0, 0}}, voxels), "pixdim[1] is nan"},
        {"infinite sform.nii", niftiFile({.sformCode = 1, .srow = {INFINITY}}, voxels),
         "the sform (srow_x to srow_z) holds inf"},
        {"voxels in the header.nii", niftiFile({.voxOffset = 100}, voxels),
         "the voxels start at byte 100 (vox_offset); expected 348 or more"},
        {"bomb.nii.gz",
         gzipOf(niftiFile({.dim = {3, 1024, 1024, 1024, 1, 1, 1, 1}, .datatype = 2, .bitpix = 8},
                          QByteArray(1 << 20, '\0'))),
         "1073742176 bytes in all, more than the 536870912 bytes (512 MiB) that compressed data may inflate "
         "to"},
        {"damaged bomb.mha",
         metaImage("CompressedData = True\nCompressedDataSize = 10\nElementType = MET_UCHAR\n",
                   QByteArray(10, 'x'),
                   QByteArray(metaHeader).replace("DimSize = 4 5 6", "DimSize = 1024 1024 1024")),
         "more than the 536870912 bytes (512 MiB) that compressed voxels may inflate to"},
        {"damaged truncated.mha", metaImage("ElementType = MET_FLOAT\n", voxels.left(479)),
         "expected 480 bytes of voxels (4 x 5 x 6 MET_FLOAT), found 479"},
        {"damaged too long.mha", metaImage("ElementType = MET_FLOAT\n", voxels + "x"), "found 481"},
        {"damaged missing file.mha", metaHeader + "ElementType = MET_FLOAT\nElementDataFile = gone.raw\n",
         "cannot open the voxel file \"gone.raw\" for reading"},
        {"damaged no compressed size.mha",
         metaImage("CompressedData = True\nElementType = MET_FLOAT\n", compressed),
         "need \"CompressedDataSize = ...\""},
        {"damaged wrong compressed size.mha", compressedImage(compressed, compressed.size() + 1),
         "but " + std::to_string(compressed.size()) + " follow"},
        {"damaged corrupt stream.mha", compressedImage(corrupt, corrupt.size()),
         "the compressed voxels are corrupt"},
        {"damaged cut stream.mha", compressedImage(compressed.left(30), 30),
         "the compressed voxels end early"},
        {"damaged stray bytes.mha", compressedImage(compressed + "xx", compressed.size() + 2),
         "stray bytes follow"},
        {"damaged short stream.mha", compressedImage(shortStream, shortStream.size()),
         "inflate to 400 bytes; expected 480"},
        {"damaged bad header.mha", metaImage("", voxels), "no \"ElementType = ...\""},
    };
    for (const auto& [name, bytes, expected] : cases)
        expectReadFails(name, bytes, expected);

    SharedImageSet image({2, 2, 2}, {1, 1, 1}, std::vector<float>(8));
    using Tesselon::Test::expectNames;
    expectNames(failure([&] { ImageVolumeFile::read("scan.dcm"); }), "scan.dcm", {},
                "expected an image ending in .nii, .nii.gz, .mha or .mhd");
    for (const std::string name : {"absent.nii.gz", "absent.mha"})
        expectNames(failure([&] { ImageVolumeFile::read(path(name)); }), path(name), {},
                    "cannot open for reading");
    expectNames(failure([&] { ImageVolumeFile::write(image, path("out.mhd")); }), path("out.mhd"), {},
                "write .mha instead");
    Eigen::Matrix4d projective = Eigen::Matrix4d::Identity();
    projective(3, 0) = 0.1;
    image.setMatrix(projective);
    for (const std::string name : {"out.mha", "out.nii"}) {
        expectNames(failure([&] { ImageVolumeFile::write(image, path(name)); }), path(name), {}, "not an");
        EXPECT_FALSE(QFile::exists(QString::fromStdString(path(name))));
    }
}

}  // namespace
}  // namespace Tesselon
