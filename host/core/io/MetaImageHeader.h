#pragma once

#include <Eigen/Core>

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace Tesselon {

/// The text header of a MetaImage (.mha, .mhd) image of scalar voxels:
///
///     ObjectType = Image
///     NDims = 3
///     BinaryData = True
///     BinaryDataByteOrderMSB = False
///     CompressedData = False
///     TransformMatrix = 0 1 0 -1 0 0 0 0 1
///     Offset = 10 20 30
///     ElementSpacing = 0.5 0.5 2
///     DimSize = 256 256 40
///     Modality = MET_MOD_CT
///     ElementType = MET_SHORT
///     ElementDataFile = LOCAL
///
/// Positions are LPS millimetres. TransformMatrix (or Rotation, Orientation) lists the direction of each
/// image axis in turn, so its numbers are the direction matrix column by column; Offset (or Origin,
/// Position) is the centre of the first voxel. A 2D image (NDims = 2) is a single slice at z = 0. The
/// header ends with ElementDataFile: LOCAL when the voxels follow in the same file, otherwise the name of
/// a file beside the header. Keys used by no one here are ignored. Every failure throws `ImageFileError`
/// naming the source and the line.
struct MetaImageHeader
{
    std::array<int, 3> dimensions{1, 1, 1};
    Eigen::Vector3d spacing = Eigen::Vector3d::Ones();
    Eigen::Vector3d offset = Eigen::Vector3d::Zero();
    Eigen::Matrix3d direction = Eigen::Matrix3d::Identity();
    int modality = 0;  ///< a `SharedImageSet::Modality`
    std::string elementType = "MET_FLOAT";
    bool compressed = false;
    /// BinaryDataByteOrderMSB (or ElementByteOrderMSB): most significant byte first.
    bool bigEndian = false;
    /// CompressedDataSize: bytes of compressed voxels, when the header gives it.
    std::optional<long long> compressedSize;
    std::string dataFile = "LOCAL";
    /// Bytes from the start of the text to the end of the ElementDataFile line, where local voxels begin.
    std::size_t size = 0;

    /// Bytes per voxel of `elementType`.
    int elementSize() const;
    /// Maps the image frame (millimetres, origin at the centre of the first voxel) into the world.
    Eigen::Matrix4d imageToWorld() const;

    /// `text` may go on past the header with voxel data. `sourceName` names the text in error messages.
    static MetaImageHeader fromText(std::string_view text, std::string_view sourceName = "");
    /// A three-dimensional header for uncompressed voxels that follow in the same file. Numbers are written
    /// in their shortest form that reads back to the same double.
    std::string toText() const;
};

}  // namespace Tesselon
