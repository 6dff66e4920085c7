#pragma once

#include "host/core/base/Signal.h"
#include "host/gl/OverlayPainter.h"
#include "host/gl/Viewport.h"

#include <QSize>

namespace Tesselon {

/// A 2D overlay drawn on top of a view: subclasses override `render`, which draws through `painter()`.
/// The view owns its overlays and places each one at its anchor with its size hints.
class GlOverlay
{
public:
    /// Positions in a view, row by row from the top left.
    enum Anchor
    {
        TopLeft = 0,
        Top = 1,
        TopRight = 2,
        Left = 3,
        Center = 4,
        Right = 5,
        BottomLeft = 6,
        Bottom = 7,
        BottomRight = 8
    };

    /// Preferred and minimal size in pixels; negative sizes are logged and taken as 0.
    GlOverlay(int sizeHintWidth, int sizeHintHeight, int minWidth, int minHeight);
    virtual ~GlOverlay();
    GlOverlay(const GlOverlay&) = delete;
    GlOverlay& operator=(const GlOverlay&) = delete;

    /// Draws the overlay into `viewport` (the overlay's own rectangle) by recording primitives in
    /// `painter()`, in pixels relative to the viewport's bottom left corner. The base draws nothing.
    virtual void render(const GL::Viewport& viewport);

    /// The primitives recorded by the last `render`.
    const OverlayPainter& recorded() const { return m_painter; }

    QSize sizeHint() const { return m_sizeHint; }
    QSize minimumSizeHint() const { return m_minimumSizeHint; }

    bool isVisible() const { return m_visible; }
    void setVisible(bool visible);

    Anchor anchor() const { return m_anchor; }
    /// Values outside the enumeration are logged and ignored.
    void setAnchor(int anchor);
    /// The overlay's rectangle inside a view: the size hint, shrunk to fit the view but not below the
    /// minimal size, placed at the anchor.
    GL::Viewport placement(const GL::Viewport& view) const;

    /// Asks the views showing the overlay to redraw.
    void update() { updateRequested.emitSignal(); }

    Signal<> updateRequested;

protected:
    OverlayPainter& painter() { return m_painter; }

private:
    OverlayPainter m_painter;
    QSize m_sizeHint;
    QSize m_minimumSizeHint;
    bool m_visible = true;
    Anchor m_anchor = TopLeft;
};

}  // namespace Tesselon
