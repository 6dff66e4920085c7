#pragma once

namespace Tesselon {

class OverlayPainter;

/// Marks the scope in which an overlay changes drawing state (projection, line width, blending); the
/// renderer saves the GL state on entry and restores it on exit. Recording itself is unaffected.
class OverlayStateGuard
{
public:
    explicit OverlayStateGuard(OverlayPainter& painter);
    ~OverlayStateGuard();
    OverlayStateGuard(const OverlayStateGuard&) = delete;
    OverlayStateGuard& operator=(const OverlayStateGuard&) = delete;

private:
    OverlayPainter& m_painter;
};

}  // namespace Tesselon
