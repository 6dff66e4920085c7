#include "host/core/io/NiftiImageFile.h"

#include "host/core/io/FileAccess.h"
#include "host/core/io/ImageFileError.h"
#include "host/core/io/NiftiHeader.h"
#include "host/core/io/VtkImageValues.h"
#include "host/core/io/VtkMessageCapture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryFile>

#include <vtkFloatArray.h>
#include <vtkImageData.h>
#include <vtkMatrix3x3.h>
#include <vtkMatrix4x4.h>
#include <vtkNIFTIImageReader.h>
#include <vtkNIFTIImageWriter.h>
#include <vtkNew.h>
#include <vtkPointData.h>

#include <zlib.h>

#include <fmt/format.h>

#include <Eigen/LU>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

namespace Tesselon {

namespace {

struct HeaderBytes
{
    std::string bytes;
    bool compressed = false;
};

// Through zlib, which reads plain and gzip-compressed files alike, as VTK's reader does.
HeaderBytes headerBytes(const std::string& path)
{
    gzFile file = gzopen(path.c_str(), "rb");
    if (file == nullptr)
        throw ImageFileError(path, 0, "cannot open for reading");
    HeaderBytes header{std::string(NiftiHeader::largestSize, '\0')};
    const int read = gzread(file, header.bytes.data(), static_cast<unsigned>(header.bytes.size()));
    header.compressed = gzdirect(file) == 0;
    gzclose(file);
    if (read < 0)
        throw ImageFileError(path, 0, "the compressed data is corrupt");
    header.bytes.resize(static_cast<std::size_t>(read));
    return header;
}

// VTK's reader allocates what the header declares before it reads a byte.
void checkDeclaredSize(const NiftiHeader& header, bool compressed, const std::string& path)
{
    const auto& size = header.dimensions;
    const std::string declared =
        fmt::format("the header declares {} x {} x {} voxels of {} bytes from byte {}, {} bytes in all",
                    size[0], size[1], size[2], header.bytesPerVoxel, header.voxelOffset, header.end());
    if (compressed && header.end() > FileAccess::largestInflated)
        throw ImageFileError(
            path, 0,
            fmt::format("{}, more than the {} bytes (512 MiB) that compressed data may inflate to", declared,
                        FileAccess::largestInflated));
    const auto fileSize = static_cast<std::uint64_t>(QFileInfo(QString::fromStdString(path)).size());
    if (!compressed && header.end() > fileSize)
        throw ImageFileError(path, 0, fmt::format("{}, but the file holds {}", declared, fileSize));
}

// Its own inverse, so `lpsToRas` is the same matrix.
const Eigen::Matrix4d rasToLps = Eigen::Vector4d(-1, -1, 1, 1).asDiagonal();
const Eigen::Matrix4d& lpsToRas = rasToLps;

Eigen::Matrix4d toEigen(const vtkMatrix4x4& matrix)
{
    Eigen::Matrix4d result;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            result(row, column) = matrix.GetElement(row, column);
    return result;
}

// VTK's data coordinates of voxel indices: origin + direction * (spacing * index).
Eigen::Matrix4d voxelToData(vtkImageData& image)
{
    Eigen::Matrix4d matrix = Eigen::Matrix4d::Identity();
    vtkMatrix3x3* direction = image.GetDirectionMatrix();
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column)
            matrix(row, column) = direction->GetElement(row, column) * image.GetSpacing()[column];
        matrix(row, 3) = image.GetOrigin()[row];
    }
    return matrix;
}

// The file's voxel-to-RAS mapping as VTK gives it, relative to VTK's data coordinates.
Eigen::Matrix4d dataToRas(vtkNIFTIImageReader& reader)
{
    if (vtkMatrix4x4* sform = reader.GetSFormMatrix())
        return toEigen(*sform);
    if (vtkMatrix4x4* qform = reader.GetQFormMatrix())
        return toEigen(*qform);
    return Eigen::Matrix4d::Identity();
}

void rescale(std::vector<float>& values, double slope, double intercept)
{
    // A zero slope means the values are stored unscaled.
    if (slope == 0 || !std::isfinite(slope) || !std::isfinite(intercept) || (slope == 1 && intercept == 0))
        return;
    for (float& value : values)
        value = static_cast<float>(value * slope + intercept);
}

// VTK turns the slices round when the file's k axis is left-handed (qfac -1); this turns them back, so
// that voxel indices are the file's own.
void restoreFileOrder(vtkImageData& image, std::vector<float>& values, Eigen::Matrix4d& voxelToWorld)
{
    std::array<int, 3> size{};
    image.GetDimensions(size.data());
    const auto slice = static_cast<std::ptrdiff_t>(size[0]) * size[1];
    for (int low = 0, high = size[2] - 1; low < high; ++low, --high)
        std::swap_ranges(values.begin() + low * slice, values.begin() + (low + 1) * slice,
                         values.begin() + high * slice);
    Eigen::Matrix4d reversed = Eigen::Vector4d(1, 1, -1, 1).asDiagonal();
    reversed(2, 3) = size[2] - 1;
    voxelToWorld = voxelToWorld * reversed;
}

// Splits voxel-to-world into the spacing (the length of each voxel axis) and the pose of the image frame.
std::unique_ptr<SharedImageSet> makeImage(vtkImageData& image, const Eigen::Matrix4d& voxelToWorld,
                                          std::vector<float> values, const std::string& path)
{
    const Eigen::Vector3d spacing = voxelToWorld.topLeftCorner<3, 3>().colwise().norm();
    if (!voxelToWorld.allFinite() || !(spacing.minCoeff() > 0))
        throw ImageFileError(
            path, 0,
            fmt::format("the voxel axes have lengths {} {} {}; expected positive finite lengths "
                        "from pixdim and the qform or sform",
                        spacing.x(), spacing.y(), spacing.z()));
    std::array<int, 3> dimensions{};
    image.GetDimensions(dimensions.data());
    auto result = std::make_unique<SharedImageSet>(dimensions, spacing, std::move(values));
    Eigen::Matrix4d pose = voxelToWorld;
    pose.leftCols<3>() *= spacing.cwiseInverse().asDiagonal();
    result->setMatrix(pose);
    return result;
}

bool isRotation(const Eigen::Matrix3d& matrix)
{
    constexpr double tolerance = 1e-6;
    return (matrix.transpose() * matrix - Eigen::Matrix3d::Identity()).cwiseAbs().maxCoeff() < tolerance &&
           matrix.determinant() > 0;
}

vtkNew<vtkImageData> toVtk(const SharedImageSet& image)
{
    vtkNew<vtkImageData> data;
    const auto& size = image.dimensions();
    data->SetDimensions(size[0], size[1], size[2]);
    data->SetSpacing(image.spacing().x(), image.spacing().y(), image.spacing().z());
    data->AllocateScalars(VTK_FLOAT, 1);
    std::copy(image.values().begin(), image.values().end(), static_cast<float*>(data->GetScalarPointer()));
    return data;
}

vtkNew<vtkMatrix4x4> toVtk(const Eigen::Matrix4d& matrix)
{
    vtkNew<vtkMatrix4x4> result;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            result->SetElement(row, column, matrix(row, column));
    return result;
}

Eigen::Matrix4d imageToRas(const SharedImageSet& image, const std::string& path)
{
    const Eigen::Matrix4d pose = image.matrix();
    if (!pose.allFinite() || pose.row(3) != Eigen::RowVector4d(0, 0, 0, 1) ||
        pose.topLeftCorner<3, 3>().determinant() == 0)
        throw ImageFileError(
            path, 0, "the image's pose is not an invertible affine transform, which NIfTI cannot hold");
    return lpsToRas * pose;
}

// A free name beside the target that ends the same way, so the writer picks the same compression. The
// placeholder file is removed so that the writer creates the file with the usual permissions; `file`
// still removes whatever is left under that name when it goes.
QString temporaryTwin(QTemporaryFile& file, const std::string& path)
{
    const QFileInfo target(QString::fromStdString(path));
    file.setFileTemplate(target.dir().filePath(".XXXXXX-" + target.fileName()));
    if (!file.open())
        throw ImageFileError(path, 0,
                             "cannot create a temporary file beside it: " + file.errorString().toStdString());
    const QString name = file.fileName();
    file.close();
    QFile::remove(name);
    return name;
}

}  // namespace

std::unique_ptr<SharedImageSet> NiftiImageFile::read(const std::string& path)
{
    // Checked here for a plain message: VTK reports a missing file as a missing header.
    FileAccess::requireRegularFile<ImageFileError>(path);
    if (QFile file(QString::fromStdString(path)); !file.open(QIODevice::ReadOnly))
        throw ImageFileError(path, 0, "cannot open for reading: " + file.errorString().toStdString());
    const HeaderBytes bytes = headerBytes(path);
    checkDeclaredSize(NiftiHeader::fromBytes(bytes.bytes, path), bytes.compressed, path);
    vtkNew<vtkNIFTIImageReader> reader;
    VtkMessageCapture messages(*reader);
    reader->SetFileName(path.c_str());
    reader->Update();
    messages.throwIfFailed(path, "cannot read NIfTI");
    vtkImageData& image = *reader->GetOutput();
    std::vector<float> values = VtkImageValues::toFloats(image, path);
    rescale(values, reader->GetRescaleSlope(), reader->GetRescaleIntercept());
    Eigen::Matrix4d voxelToWorld = rasToLps * dataToRas(*reader) * voxelToData(image);
    if (reader->GetQFac() < 0)
        restoreFileOrder(image, values, voxelToWorld);
    return makeImage(image, voxelToWorld, std::move(values), path);
}

void NiftiImageFile::write(const SharedImageSet& image, const std::string& path)
{
    const Eigen::Matrix4d ras = imageToRas(image, path);
    vtkNew<vtkImageData> data = toVtk(image);
    vtkNew<vtkMatrix4x4> form = toVtk(ras);
    QTemporaryFile temporary;
    const QString temporaryPath = temporaryTwin(temporary, path);
    {
        vtkNew<vtkNIFTIImageWriter> writer;
        VtkMessageCapture messages(*writer);
        writer->SetInputData(data);
        writer->SetFileName(temporaryPath.toStdString().c_str());
        writer->SetSFormMatrix(form);
        if (isRotation(ras.topLeftCorner<3, 3>()))
            writer->SetQFormMatrix(form);
        writer->Write();
        messages.throwIfFailed(path, "cannot write NIfTI");
    }
    std::error_code error;
    std::filesystem::rename(temporaryPath.toStdString(), path, error);
    if (error)
        throw ImageFileError(path, 0, "cannot save: " + error.message());
    temporary.setAutoRemove(false);
}

}  // namespace Tesselon
