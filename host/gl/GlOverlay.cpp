#include "host/gl/GlOverlay.h"

#include "host/core/base/Log.h"

#include <algorithm>

namespace Tesselon {

namespace {

constexpr const char* category = "GlOverlay";

QSize nonNegativeSize(int width, int height)
{
    if (width < 0 || height < 0)
        Log::error(category, "Overlay sizes cannot be negative; using 0 instead.");
    return QSize(std::max(width, 0), std::max(height, 0));
}

/// Extent along one axis: the hint, shrunk to the available space but never below the minimum.
int fittedExtent(int hint, int minimum, int available)
{
    return std::max(minimum, std::min(hint, available));
}

/// Offset along one axis of a box of `extent` at position 0 (start), 1 (middle) or 2 (end).
int alignedOffset(int position, int extent, int available)
{
    return position == 0 ? 0 : position == 1 ? (available - extent) / 2 : available - extent;
}

}  // namespace

GlOverlay::GlOverlay(int sizeHintWidth, int sizeHintHeight, int minWidth, int minHeight)
    : m_sizeHint(nonNegativeSize(sizeHintWidth, sizeHintHeight)),
      m_minimumSizeHint(nonNegativeSize(minWidth, minHeight))
{
}

GlOverlay::~GlOverlay() = default;

void GlOverlay::render(const GL::Viewport& viewport)
{
    m_painter.begin2D(viewport);
}

void GlOverlay::setVisible(bool visible)
{
    if (visible == m_visible)
        return;
    m_visible = visible;
    update();
}

void GlOverlay::setAnchor(int anchor)
{
    if (anchor < TopLeft || anchor > BottomRight) {
        Log::error(category, "Ignoring unknown overlay anchor " + std::to_string(anchor) + ".");
        return;
    }
    m_anchor = static_cast<Anchor>(anchor);
}

GL::Viewport GlOverlay::placement(const GL::Viewport& view) const
{
    const int width = fittedExtent(m_sizeHint.width(), m_minimumSizeHint.width(), view.width);
    const int height = fittedExtent(m_sizeHint.height(), m_minimumSizeHint.height(), view.height);
    const int column = m_anchor % 3;
    // Rows count from the top while pixels count from the bottom.
    const int rowFromBottom = 2 - m_anchor / 3;
    return {view.x + alignedOffset(column, width, view.width),
            view.y + alignedOffset(rowFromBottom, height, view.height), width, height};
}

}  // namespace Tesselon
