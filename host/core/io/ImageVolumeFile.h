#pragma once

#include "host/core/model/SharedImageSet.h"

#include <memory>
#include <string>

namespace Tesselon {

/// Image volume files, in the format their name's ending gives (case ignored): .nii and .nii.gz are
/// NIfTI-1 (`NiftiImageFile`, positions converted from RAS), .mha and .mhd MetaImage (`MetaImageFile`,
/// LPS already). Images read are named after the file without its ending; see `SharedImageSet` for the
/// coordinate frames. Voxel values of any type become floats, which hold integers exactly up to 2^24.
/// Every failure throws `ImageFileError` naming the file.
class ImageVolumeFile
{
public:
    static std::unique_ptr<SharedImageSet> read(const std::string& path);
    /// Writes .mha, .nii or .nii.gz files atomically; .mhd (voxels in a second file) is not written.
    static void write(const SharedImageSet& image, const std::string& path);
};

}  // namespace Tesselon
