#include "host/gl/OverlayStateGuard.h"

#include "host/gl/OverlayPainter.h"

namespace Tesselon {

OverlayStateGuard::OverlayStateGuard(OverlayPainter& painter) : m_painter(painter)
{
    ++m_painter.m_stateDepth;
}

OverlayStateGuard::~OverlayStateGuard()
{
    --m_painter.m_stateDepth;
}

}  // namespace Tesselon
