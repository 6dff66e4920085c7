#pragma once

#include "host/core/model/SharedImageSet.h"

#include <memory>
#include <string>

namespace Tesselon {

/// NIfTI-1 image files (.nii, and .nii.gz compressed), read and written through VTK.
///
/// NIfTI positions are RAS (+x towards the patient's right, +y anterior, +z superior); the world is LPS,
/// so positions become LPS = diag(-1, -1, 1) RAS, a half turn about z. The voxel-to-RAS mapping is the
/// sform when the file has one, else the qform, else the voxel spacing alone. The spacing of the image
/// is the length of each voxel axis in that mapping, so a scaling sform gives the true voxel size.
/// Voxel indices are the file's own: VTK reverses the slices of files whose axes are left-handed (qfac
/// -1, or an sform that mirrors), and they are turned back, so the pose is then left-handed too. Values
/// are scaled by scl_slope and scl_inter when the slope is a nonzero number. Files with a time series or
/// several values per voxel are refused. The modality is unknown, as NIfTI does not record it. Every
/// failure throws `ImageFileError` naming the file.
class NiftiImageFile
{
public:
    static std::unique_ptr<SharedImageSet> read(const std::string& path);
    /// Writes float voxels, atomically: the file is either replaced whole or left as it was. The pose is
    /// stored as the sform, and also as the qform when it is a rotation. NIfTI keeps 32-bit floats, so
    /// the spacing and pose read back to float precision.
    static void write(const SharedImageSet& image, const std::string& path);
};

}  // namespace Tesselon
