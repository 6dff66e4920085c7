#pragma once

#include <string>
#include <vector>

class vtkImageData;

namespace Tesselon {

/// Voxel values of VTK images as host images hold them.
class VtkImageValues
{
public:
    /// The voxels of a single-component image of any scalar type as floats, x fastest. Throws
    /// `ImageFileError` naming `path` for images without scalars or with several components per voxel.
    static std::vector<float> toFloats(vtkImageData& image, const std::string& path);
};

}  // namespace Tesselon
