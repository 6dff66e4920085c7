#include "host/gl/GlGrid.h"

#include <algorithm>
#include <cmath>

namespace Tesselon {

namespace {

constexpr const char* category = "GlGrid";
// Keeps a tiny cell size on a huge extent from overflowing the count or flooding the renderer.
constexpr double maximumLineCount = 10001.0;

bool isPositiveFinite(double value)
{
    return std::isfinite(value) && value > 0.0;
}

}  // namespace

GlGrid::GlGrid(double extent, double cellSize, std::string name) : GlObject(std::move(name))
{
    if (!isPositiveFinite(extent) || !isPositiveFinite(cellSize)) {
        reject(category, "A grid needs a positive, finite extent and cell size; using 100 mm and 10 mm.");
        return;
    }
    m_extent = extent;
    m_cellSize = cellSize;
}

int GlGrid::lineCount() const
{
    return static_cast<int>(std::min(std::floor(m_extent / m_cellSize) + 1.0, maximumLineCount));
}

void GlGrid::setLineColor(const Eigen::Vector3d& rgb)
{
    if (!rgb.allFinite()) {
        reject(category, "Ignoring a grid line colour with non-finite components.");
        return;
    }
    assign(m_lineColor, clampedColor(rgb));
}

}  // namespace Tesselon
