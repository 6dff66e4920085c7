#pragma once

#include "host/gl/GlOverlay.h"

#include <Eigen/Core>

#include <string>
#include <vector>

namespace Tesselon {

/// The depth gauge of the bullseye view: a vertical scale with end whiskers, a red mark at the depth of
/// point A, a green segment from A to B (both in millimetres) and A's depth as text. The bullseye panel
/// sets the layout and feeds the points; the overlay computes nothing about the tool itself.
class GlToolTargetOverlay : public GlOverlay
{
public:
    GlToolTargetOverlay();

    /// A and B in millimetres: x across the path, y the depth along it. Non-finite points are logged and
    /// ignored.
    void setToolPoints(const Eigen::Vector2d& a, const Eigen::Vector2d& b);
    /// The layout in pixels and the millimetres the scale's height and the viewport's width stand for.
    /// Scales that are not positive and finite are logged and the whole layout is left unchanged.
    void setVisParams(int fontSize, int textOffset, int topMargin, int whiskerMargin, double barHeightInMM,
                      double barWidthInMM);
    /// Short lines of figures drawn from the top left corner, right-aligned outside the gauge (at most four:
    /// the gauge has room for no more); empty draws none.
    void setReadout(std::vector<std::string> lines);

    void render(const GL::Viewport& viewport) override;

private:
    /// The scale and its marks as one line list (pairs of vertices), for a viewport of W x H pixels.
    std::vector<OverlayVertex> lineVertices(int width, int height) const;
    void drawDepthText(int width);
    void drawReadout(int height);
    /// A point in millimetres mapped onto the scale of height `scaleHeight` in a viewport `width` wide.
    Eigen::Vector2d toPixel(const Eigen::Vector2d& pointInMM, int width, int scaleHeight) const;

    Eigen::Vector2d m_pointA = Eigen::Vector2d::Zero();
    Eigen::Vector2d m_pointB = Eigen::Vector2d::Zero();
    int m_fontSize = 18;
    int m_textOffset = 25;
    int m_topMargin = 2;
    int m_whiskerMargin = 15;
    double m_barHeightInMM = 100.0;
    double m_barWidthInMM = 20.0;
    std::vector<std::string> m_readout;
};

}  // namespace Tesselon
