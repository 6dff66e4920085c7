#pragma once

#include "host/gl/Viewport.h"

#include <Eigen/Core>

#include <string>
#include <vector>

namespace Tesselon {

namespace GL {

/// Where text sits horizontally relative to its anchor point.
enum HorizontalAlignment
{
    AlignLeft = 0,
    AlignHCenter = 1,
    AlignRight = 2
};

/// Where text sits vertically relative to its anchor point; `AlignBottom` puts the text above it.
enum VerticalAlignment
{
    AlignTop = 0,
    AlignVCenter = 1,
    AlignBaseline = 2,
    AlignBottom = 3
};

}  // namespace GL

/// One vertex of a 2D line list: a position in pixels (origin bottom left) and an RGBA colour in [0, 1].
struct OverlayVertex
{
    Eigen::Vector2d position;
    Eigen::Vector4d color;

    bool operator==(const OverlayVertex&) const = default;
};

/// Independent segments: vertices 0-1, 2-3, ... drawn with one line width in pixels.
struct OverlayLineList
{
    std::vector<OverlayVertex> vertices;
    double lineWidth = 1.0;
};

/// A text label placed at an anchor point in pixels.
struct OverlayText
{
    std::string text;
    std::string fontFamily;
    int fontSize = 12;
    Eigen::Vector4d color = Eigen::Vector4d::Ones();
    Eigen::Vector2d anchor = Eigen::Vector2d::Zero();
    GL::HorizontalAlignment horizontalAlignment = GL::AlignLeft;
    GL::VerticalAlignment verticalAlignment = GL::AlignBottom;
};

/// An image file drawn into a pixel rectangle, e.g. a button's icon.
struct OverlayImage
{
    std::string path;
    GL::Viewport rectangle;
};

}  // namespace Tesselon
