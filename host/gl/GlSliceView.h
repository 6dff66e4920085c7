#pragma once

#include "host/gl/GlView.h"

namespace Tesselon {

/// A 2D view of one slice plane through the volume (MPR). Its matrix is the plane's pose: the first two
/// columns span the plane, the third is its normal, the translation a point on it.
class GlSliceView : public GlView
{
public:
    /// Planes in LPS world coordinates by their normal: axial +z, coronal +y, sagittal +x.
    enum AnatomicalPlane
    {
        Axial = 0,
        Coronal = 1,
        Sagittal = 2
    };

    explicit GlSliceView(AnatomicalPlane plane);

    AnatomicalPlane plane() const { return m_plane; }
    /// The current plane normal (third column of the matrix).
    Eigen::Vector3d normal() const;

    /// The rotation of a plane through the origin with the plane's normal, in-plane y superior where the
    /// plane contains the superior direction.
    static Eigen::Matrix4d defaultMatrix(AnatomicalPlane plane);

private:
    AnatomicalPlane m_plane;
};

}  // namespace Tesselon
