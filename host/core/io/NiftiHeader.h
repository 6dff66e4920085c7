#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace Tesselon {

/// The header of a single-file NIfTI-1 or NIfTI-2 image, checked before VTK's reader sees the file: that
/// reader trusts the header and crashes on unknown data types or empty dimensions. Accepts one scalar
/// volume (three dimensions at most, no time series or vectors) of a type the reader turns into one value
/// per voxel, with finite spacings and orientation, whose voxels start after the header. Either byte
/// order. Every failure throws `ImageFileError` naming the source.
struct NiftiHeader
{
    /// Bytes of the NIfTI-2 header, the longer one: enough to read either.
    static constexpr std::size_t largestSize = 540;

    int version = 1;
    /// Voxels along i, j and k.
    std::array<std::int64_t, 3> dimensions{1, 1, 1};
    int datatype = 0;
    int bytesPerVoxel = 0;
    /// Where the voxels start.
    std::uint64_t voxelOffset = 0;

    /// Bytes of voxel data the header declares.
    std::uint64_t voxelBytes() const;
    /// Bytes the file must hold at least: the header, any extensions and the voxels.
    std::uint64_t end() const { return voxelOffset + voxelBytes(); }

    /// `bytes` are the file's first bytes (all of them when it is shorter than `largestSize`).
    static NiftiHeader fromBytes(std::string_view bytes, std::string_view sourceName = "");
};

}  // namespace Tesselon
