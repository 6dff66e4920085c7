#pragma once

#include <Eigen/Core>

#include <limits>
#include <vector>

class vtkImageData;
class vtkImageSlice;
class vtkRenderer;

namespace Tesselon {

class SharedImageSet;

/// Shows a volume in a renderer with a window and level: in a slice view one slice that follows the
/// camera's focal plane (`FocalPlane`), in a 3D view the three orthogonal voxel planes through a point
/// (`OrthogonalPlanes`). The voxels are shared with the volume, not copied.
class VtkVolumeSlices
{
public:
    enum Mode
    {
        FocalPlane = 0,
        OrthogonalPlanes = 1
    };

    VtkVolumeSlices(vtkRenderer* renderer, Mode mode);
    ~VtkVolumeSlices();
    VtkVolumeSlices(const VtkVolumeSlices&) = delete;
    VtkVolumeSlices& operator=(const VtkVolumeSlices&) = delete;

    /// Shows `volume` (null: nothing), which must outlive this object or be replaced first. Resets the
    /// window and level to the volume's value range.
    void setVolume(const SharedImageSet* volume);
    const SharedImageSet* volume() const { return m_volume; }

    /// Intensities below level - window/2 are black, above level + window/2 white.
    void setWindowLevel(double window, double level);
    double window() const { return m_window; }
    double level() const { return m_level; }

    /// In `OrthogonalPlanes` mode, the world point the three planes pass through (clamped to the
    /// volume); ignored in `FocalPlane` mode. Also follows the volume's pose.
    void update(const Eigen::Vector3d& planesCentre);
    /// Shows or hides the slices, e.g. in a view that shows only other data.
    void setVisible(bool visible);

    /// How many times the slices were cut out of the volume since it was set: again only when a plane,
    /// the volume's pose or the window size moved, not at every frame.
    long long resliceCount() const { return m_resliceCount; }

private:
    void removeSlices();
    void countReslices(vtkImageSlice* slice);

    vtkRenderer* m_renderer;
    Mode m_mode;
    const SharedImageSet* m_volume = nullptr;
    vtkImageData* m_image = nullptr;
    std::vector<vtkImageSlice*> m_slices;
    double m_window = 1.0;
    double m_level = 0.5;
    // The volume's pose last handed to VTK: a new matrix, even an equal one, makes VTK reslice.
    Eigen::Matrix4d m_appliedPose = Eigen::Matrix4d::Constant(std::numeric_limits<double>::quiet_NaN());
    long long m_resliceCount = 0;
};

}  // namespace Tesselon
