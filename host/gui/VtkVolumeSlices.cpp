#include "host/gui/VtkVolumeSlices.h"

#include "host/core/model/SharedImageSet.h"

#include <vtkCallbackCommand.h>
#include <vtkCommand.h>
#include <vtkFloatArray.h>
#include <vtkImageData.h>
#include <vtkImageProperty.h>
#include <vtkImageResliceMapper.h>
#include <vtkImageSlice.h>
#include <vtkImageSliceMapper.h>
#include <vtkMatrix4x4.h>
#include <vtkNew.h>
#include <vtkPointData.h>
#include <vtkRenderer.h>
#include <Eigen/Geometry>
#include <Eigen/LU>

#include <algorithm>
#include <cmath>

namespace Tesselon {

namespace {

vtkImageData* sharedImage(const SharedImageSet& volume)
{
    vtkImageData* image = vtkImageData::New();
    const auto& size = volume.dimensions();
    image->SetDimensions(size[0], size[1], size[2]);
    image->SetSpacing(volume.spacing().data());
    image->SetOrigin(0.0, 0.0, 0.0);
    vtkNew<vtkFloatArray> values;
    // Save = 1: VTK reads the volume's own storage and never frees or writes it.
    values->SetArray(const_cast<float*>(volume.values().data()), static_cast<vtkIdType>(volume.voxelCount()),
                     1);
    image->GetPointData()->SetScalars(values);
    return image;
}

vtkImageSlice* newSlice(vtkImageData* image, vtkImageMapper3D* mapper)
{
    mapper->SetInputData(image);
    vtkImageSlice* slice = vtkImageSlice::New();
    slice->SetMapper(mapper);
    slice->GetProperty()->SetInterpolationTypeToLinear();
    return slice;
}

void setPose(vtkImageSlice* slice, const Eigen::Matrix4d& imageToWorld)
{
    vtkNew<vtkMatrix4x4> matrix;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            matrix->SetElement(row, column, imageToWorld(row, column));
    slice->SetUserMatrix(matrix);
}

}  // namespace

VtkVolumeSlices::VtkVolumeSlices(vtkRenderer* renderer, Mode mode) : m_renderer(renderer), m_mode(mode) {}

VtkVolumeSlices::~VtkVolumeSlices()
{
    removeSlices();
}

void VtkVolumeSlices::setVolume(const SharedImageSet* volume)
{
    if (volume == m_volume)
        return;
    removeSlices();
    m_volume = volume;
    if (!volume)
        return;
    m_image = sharedImage(*volume);
    const auto [low, high] = std::minmax_element(volume->values().begin(), volume->values().end());
    setWindowLevel(std::max(*high - *low, 1e-6f), (*high + *low) / 2.0);

    if (m_mode == FocalPlane) {
        vtkNew<vtkImageResliceMapper> mapper;
        mapper->SliceFacesCameraOn();
        mapper->SliceAtFocalPointOn();
        m_slices.push_back(newSlice(m_image, mapper));
    } else {
        for (int axis = 0; axis < 3; ++axis) {
            vtkNew<vtkImageSliceMapper> mapper;
            mapper->SetOrientation(axis);
            m_slices.push_back(newSlice(m_image, mapper));
        }
    }
    for (vtkImageSlice* slice : m_slices) {
        slice->GetProperty()->SetColorWindow(m_window);
        slice->GetProperty()->SetColorLevel(m_level);
        m_renderer->AddViewProp(slice);
        countReslices(slice);
    }
}

void VtkVolumeSlices::countReslices(vtkImageSlice* slice)
{
    // The mapper's pipeline runs (and fires its start event) exactly when it cuts a new slice.
    vtkNew<vtkCallbackCommand> counter;
    counter->SetClientData(&m_resliceCount);
    counter->SetCallback(
        [](vtkObject*, unsigned long, void* count, void*) { ++*static_cast<long long*>(count); });
    slice->GetMapper()->AddObserver(vtkCommand::StartEvent, counter);
}

void VtkVolumeSlices::setWindowLevel(double window, double level)
{
    m_window = window;
    m_level = level;
    for (vtkImageSlice* slice : m_slices) {
        slice->GetProperty()->SetColorWindow(window);
        slice->GetProperty()->SetColorLevel(level);
    }
}

void VtkVolumeSlices::update(const Eigen::Vector3d& planesCentre)
{
    if (!m_volume)
        return;
    if (m_volume->matrix() != m_appliedPose) {
        m_appliedPose = m_volume->matrix();
        for (vtkImageSlice* slice : m_slices)
            setPose(slice, m_appliedPose);
    }
    if (m_mode != OrthogonalPlanes)
        return;
    const Eigen::Vector4d voxel = m_volume->voxelToWorld().inverse() * planesCentre.homogeneous();
    for (int axis = 0; axis < 3; ++axis) {
        const int index =
            std::clamp(static_cast<int>(std::lround(voxel[axis])), 0, m_volume->dimensions()[axis] - 1);
        static_cast<vtkImageSliceMapper*>(m_slices[static_cast<std::size_t>(axis)]->GetMapper())
            ->SetSliceNumber(index);
    }
}

void VtkVolumeSlices::setVisible(bool visible)
{
    for (vtkImageSlice* slice : m_slices)
        slice->SetVisibility(visible);
}

void VtkVolumeSlices::removeSlices()
{
    for (vtkImageSlice* slice : m_slices) {
        m_renderer->RemoveViewProp(slice);
        slice->Delete();
    }
    m_slices.clear();
    if (m_image)
        m_image->Delete();
    m_image = nullptr;
    m_volume = nullptr;
    m_appliedPose.setConstant(std::numeric_limits<double>::quiet_NaN());
    m_resliceCount = 0;
}

}  // namespace Tesselon
