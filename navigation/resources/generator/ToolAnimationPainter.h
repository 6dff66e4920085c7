#pragma once

#include "navigation/resources/generator/ToolMotion.h"

#include <QImage>
#include <QPointF>

namespace Tesselon {

/// Draws the frames of one tool-calibration animation: a shaded pointer tool with marker spheres,
/// seen slightly from above, standing in a dip on a small plate, with a dashed guide of the movement.
class ToolAnimationPainter
{
public:
    explicit ToolAnimationPainter(ToolMotion motion, int imageSize = 256);

    const ToolMotion& motion() const { return m_motion; }
    QImage frame(int index) const;

private:
    /// Scales and centres the drawing so that every frame of the motion fits the image.
    void fitToImage();

    ToolMotion m_motion;
    int m_imageSize;
    double m_scale = 1.0;
    QPointF m_origin;
};

}  // namespace Tesselon
