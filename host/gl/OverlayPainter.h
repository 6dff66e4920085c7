#pragma once

#include "host/gl/OverlayPrimitives.h"

#include <vector>

namespace Tesselon {

/// The drawing calls an overlay's `render` uses. It records 2D primitives instead of drawing them: the
/// renderer turns them into 2D actors afterwards, and tests read them back.
class OverlayPainter
{
public:
    /// Starts a frame with an orthographic 2D projection over the viewport (pixels, origin bottom left),
    /// discarding the primitives of the previous frame.
    void begin2D(const GL::Viewport& viewport);
    /// The projection of the current frame.
    const GL::Viewport& projection() const { return m_projection; }

    /// Records independent segments (vertices 0-1, 2-3, ...). Segments with a non-finite end and an odd
    /// trailing vertex are logged and dropped; the rest is kept.
    void drawLines(std::vector<OverlayVertex> vertices, double lineWidth);
    /// Records a text label; one with a non-finite anchor is logged and dropped.
    void drawText(OverlayText text);
    void drawImage(OverlayImage image);

    const std::vector<OverlayLineList>& lineLists() const { return m_lineLists; }
    const std::vector<OverlayText>& texts() const { return m_texts; }
    const std::vector<OverlayImage>& images() const { return m_images; }
    void clear();

    /// How many state guards are open; the renderer saves its GL state once per outermost guard.
    int stateDepth() const { return m_stateDepth; }

private:
    friend class OverlayStateGuard;

    std::vector<OverlayLineList> m_lineLists;
    std::vector<OverlayText> m_texts;
    std::vector<OverlayImage> m_images;
    GL::Viewport m_projection;
    int m_stateDepth = 0;
};

}  // namespace Tesselon
