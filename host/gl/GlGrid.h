#pragma once

#include "host/gl/GlObject.h"

namespace Tesselon {

/// A square grid of lines in the object's xy plane, centred on its origin, for orientation in 3D views.
class GlGrid : public GlObject
{
public:
    /// `extent` is the side length and `cellSize` the line spacing, both in millimetres. Values that are
    /// not positive and finite are logged and replaced by a 100 mm grid of 10 mm cells.
    GlGrid(double extent, double cellSize, std::string name = {});

    double extent() const { return m_extent; }
    double cellSize() const { return m_cellSize; }
    /// Number of lines drawn in each direction: one per cell boundary that fits into the extent.
    int lineCount() const;

    const Eigen::Vector3d& lineColor() const { return m_lineColor; }
    /// Clamped to [0, 1]; a non-finite colour is logged and ignored.
    void setLineColor(const Eigen::Vector3d& rgb);

private:
    double m_extent = 100.0;
    double m_cellSize = 10.0;
    Eigen::Vector3d m_lineColor = Eigen::Vector3d::Constant(0.5);
};

}  // namespace Tesselon
