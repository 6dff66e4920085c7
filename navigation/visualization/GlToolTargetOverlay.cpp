#include "navigation/visualization/GlToolTargetOverlay.h"

#include "host/core/base/Log.h"
#include "host/gl/OverlayStateGuard.h"

#include <fmt/format.h>

#include <cmath>

namespace Tesselon {

namespace {

constexpr const char* category = "GlToolTargetOverlay";
const Eigen::Vector4d white(1, 1, 1, 1);
const Eigen::Vector4d red(1, 0, 0, 1);
const Eigen::Vector4d green(0, 1, 0, 1);
constexpr double lineWidth = 2.0;
constexpr std::size_t maxReadoutLines = 4;
// Smaller than the depth: the figures are secondary.
constexpr int readoutFontSize = 11;
constexpr int readoutLineHeight = readoutFontSize + 4;

void addSegment(std::vector<OverlayVertex>& vertices, const Eigen::Vector2d& from, const Eigen::Vector2d& to,
                const Eigen::Vector4d& color)
{
    vertices.push_back({from, color});
    vertices.push_back({to, color});
}

/// A horizontal line across the viewport at height y, `margin` pixels in from both sides.
void addWhisker(std::vector<OverlayVertex>& vertices, int width, int margin, int y,
                const Eigen::Vector4d& color)
{
    addSegment(vertices, Eigen::Vector2d(margin, y), Eigen::Vector2d(width - margin, y), color);
}

OverlayText whiteText(std::string content, int fontSize, const Eigen::Vector2d& anchor,
                      GL::HorizontalAlignment horizontal, GL::VerticalAlignment vertical)
{
    OverlayText text;
    text.text = std::move(content);
    text.fontFamily = "DejaVu Sans";
    text.fontSize = fontSize;
    text.color = white;
    text.anchor = anchor;
    text.horizontalAlignment = horizontal;
    text.verticalAlignment = vertical;
    return text;
}

bool isPositiveFinite(double value)
{
    return std::isfinite(value) && value > 0.0;
}

}  // namespace

GlToolTargetOverlay::GlToolTargetOverlay() : GlOverlay(80, 500, 80, 300) {}

void GlToolTargetOverlay::setToolPoints(const Eigen::Vector2d& a, const Eigen::Vector2d& b)
{
    if (!a.allFinite() || !b.allFinite()) {
        Log::error(category, "Ignoring target overlay points with non-finite coordinates.");
        return;
    }
    m_pointA = a;
    m_pointB = b;
}

void GlToolTargetOverlay::setVisParams(int fontSize, int textOffset, int topMargin, int whiskerMargin,
                                       double barHeightInMM, double barWidthInMM)
{
    if (!isPositiveFinite(barHeightInMM) || !isPositiveFinite(barWidthInMM)) {
        Log::error(category, "Ignoring a target overlay layout whose bar height or width is not positive.");
        return;
    }
    m_fontSize = fontSize;
    m_textOffset = textOffset;
    m_topMargin = topMargin;
    m_whiskerMargin = whiskerMargin;
    m_barHeightInMM = barHeightInMM;
    m_barWidthInMM = barWidthInMM;
}

void GlToolTargetOverlay::setReadout(std::vector<std::string> lines)
{
    if (lines.size() > maxReadoutLines)
        lines.resize(maxReadoutLines);
    m_readout = std::move(lines);
}

void GlToolTargetOverlay::render(const GL::Viewport& viewport)
{
    OverlayStateGuard stateGuard(painter());
    painter().begin2D(viewport);
    drawDepthText(viewport.width);
    drawReadout(viewport.height);
    painter().drawLines(lineVertices(viewport.width, viewport.height), lineWidth);
}

void GlToolTargetOverlay::drawDepthText(int width)
{
    painter().drawText(whiteText(fmt::format("{:.2f}", m_pointA.y()), m_fontSize,
                                 Eigen::Vector2d(width / 2, 2), GL::AlignHCenter, GL::AlignBottom));
}

void GlToolTargetOverlay::drawReadout(int height)
{
    // Right-aligned just left of the gauge: inside it the scale's axis would run through the text.
    int top = height - m_topMargin;
    for (const std::string& line : m_readout) {
        painter().drawText(
            whiteText(line, readoutFontSize, Eigen::Vector2d(-4, top), GL::AlignRight, GL::AlignTop));
        top -= readoutLineHeight;
    }
}

std::vector<OverlayVertex> GlToolTargetOverlay::lineVertices(int width, int height) const
{
    const int scaleHeight = height - m_textOffset - m_topMargin;
    const int top = height - m_topMargin;
    std::vector<OverlayVertex> vertices;
    addSegment(vertices, Eigen::Vector2d(width / 2, m_textOffset), Eigen::Vector2d(width / 2, top), white);
    addWhisker(vertices, width, m_whiskerMargin, m_textOffset, white);
    addWhisker(vertices, width, m_whiskerMargin, top, white);
    const double depth = m_pointA.y() / m_barHeightInMM;
    if (depth >= 0.0 && depth < 1.0) {
        const int markY = m_textOffset + static_cast<int>(scaleHeight * depth);
        addWhisker(vertices, width, m_whiskerMargin, markY, red);
    }
    addSegment(vertices, toPixel(m_pointA, width, scaleHeight), toPixel(m_pointB, width, scaleHeight), green);
    return vertices;
}

Eigen::Vector2d GlToolTargetOverlay::toPixel(const Eigen::Vector2d& pointInMM, int width,
                                             int scaleHeight) const
{
    return {pointInMM.x() / m_barWidthInMM * width + width / 2,
            pointInMM.y() / m_barHeightInMM * scaleHeight + m_textOffset};
}

}  // namespace Tesselon
