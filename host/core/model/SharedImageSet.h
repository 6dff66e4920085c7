#pragma once

#include "host/core/model/Data.h"

#include <Eigen/Core>

#include <array>
#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

namespace Tesselon {

/// An image volume held in host memory: a grid of scalar voxels with its size, spacing and pose.
///
/// Coordinates: the image frame is in millimetres, with its origin at the centre of voxel (0, 0, 0) and
/// its axes along the voxel index axes, so the centre of voxel (i, j, k) lies at (i sx, j sy, k sz) for
/// the spacing (sx, sy, sz). `matrix()` (from `Data`) maps the image frame into the world, which is LPS
/// (+x towards the patient's left, +y posterior, +z superior) as in DICOM. `voxelToWorld()` maps voxel
/// indices straight into the world.
///
/// Values are stored x fastest, then y, then z. The size, spacing and values are fixed when the image
/// is made; the pose, name and modality may change while others read them.
class SharedImageSet : public Data
{
public:
    /// Imaging modalities; `DataList::getImages` takes `UnknownModality` (0) as "any modality".
    enum Modality
    {
        UnknownModality = 0,
        CT = 1,
        MR = 2,
        Ultrasound = 3,
        XRay = 4,
        NuclearMedicine = 5,
    };

    /// Throws `std::invalid_argument` unless every size is positive, every spacing positive and finite,
    /// and there is exactly one value per voxel.
    SharedImageSet(std::array<int, 3> dimensions, const Eigen::Vector3d& spacing, std::vector<float> values,
                   std::string name = {});

    /// `Volume` when the image has more than one slice, `Image` for a single 2D slice.
    Kind kind() const override;

    /// One of `Modality`; `UnknownModality` unless someone set it.
    int modality() const { return m_modality.load(); }
    void setModality(int modality) { m_modality.store(modality); }

    const std::array<int, 3>& dimensions() const { return m_dimensions; }
    /// Distance between voxel centres along x, y and z, in millimetres.
    const Eigen::Vector3d& spacing() const { return m_spacing; }
    std::size_t voxelCount() const { return m_values.size(); }
    const std::vector<float>& values() const { return m_values; }

    /// Throws `std::out_of_range` naming the index and the dimensions when the voxel lies outside.
    float valueAt(int i, int j, int k) const;

    /// Maps world coordinates into the image frame: the inverse of `matrix()`.
    Eigen::Matrix4d matrixFromWorld() const;
    /// Maps voxel indices into world coordinates: `matrix()` after scaling by the spacing.
    Eigen::Matrix4d voxelToWorld() const;

private:
    std::array<int, 3> m_dimensions;
    Eigen::Vector3d m_spacing;
    std::vector<float> m_values;
    std::atomic<int> m_modality = UnknownModality;
};

}  // namespace Tesselon
