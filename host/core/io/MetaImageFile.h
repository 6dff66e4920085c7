#pragma once

#include "host/core/model/SharedImageSet.h"

#include <memory>
#include <string>

namespace Tesselon {

/// MetaImage files (.mha with the voxels inside, .mhd with them in a file beside it), whose header
/// `MetaImageHeader` reads. VTK's MetaImage reader decodes the voxels; as it overlooks the direction
/// matrix and some damaged voxel data, the header's geometry is used and the voxel bytes are checked
/// first: their count, and for compressed voxels that they inflate to exactly the voxels. The image's
/// modality comes from the header's Modality. Every failure throws `ImageFileError` naming the file.
class MetaImageFile
{
public:
    static std::unique_ptr<SharedImageSet> read(const std::string& path);
    /// Writes an .mha file with uncompressed float voxels, atomically: the file is either replaced whole
    /// or left as it was. Reading it back gives the same values, spacing, pose and modality (CT, MR,
    /// ultrasound and nuclear medicine; MetaImage has no other).
    static void write(const SharedImageSet& image, const std::string& path);
};

}  // namespace Tesselon
