#include "host/core/io/VtkImageValues.h"

#include "host/core/io/ImageFileError.h"

#include <vtkDataArray.h>
#include <vtkImageData.h>
#include <vtkPointData.h>
#include <vtkSetGet.h>

#include <fmt/format.h>

#include <algorithm>

namespace Tesselon {

namespace {

template <class Value>
void convert(const Value* values, std::size_t count, std::vector<float>& out)
{
    out.resize(count);
    std::transform(values, values + count, out.begin(),
                   [](Value value) { return static_cast<float>(value); });
}

}  // namespace

std::vector<float> VtkImageValues::toFloats(vtkImageData& image, const std::string& path)
{
    vtkDataArray* scalars = image.GetPointData()->GetScalars();
    if (!scalars)
        throw ImageFileError(path, 0, "the file holds no voxel values");
    if (const int components = scalars->GetNumberOfComponents(); components != 1)
        throw ImageFileError(
            path, 0,
            fmt::format("expected one value per voxel, found {} (vectors, colours or complex "
                        "numbers are not supported)",
                        components));
    std::vector<float> values;
    const auto count = static_cast<std::size_t>(scalars->GetNumberOfTuples());
    void* data = scalars->GetVoidPointer(0);
    switch (scalars->GetDataType()) {
        vtkTemplateMacro(convert(static_cast<const VTK_TT*>(data), count, values));
        default:
            throw ImageFileError(path, 0,
                                 fmt::format("unsupported voxel type {}", scalars->GetDataTypeAsString()));
    }
    return values;
}

}  // namespace Tesselon
