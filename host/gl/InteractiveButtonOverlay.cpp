#include "host/gl/InteractiveButtonOverlay.h"

namespace Tesselon {

InteractiveButtonOverlay::InteractiveButtonOverlay(int anchor, std::string iconPath, int size)
    : GlOverlay(size, size, size, size), m_iconPath(std::move(iconPath))
{
    setAnchor(anchor);
}

void InteractiveButtonOverlay::setIconPath(std::string path)
{
    if (path == m_iconPath)
        return;
    m_iconPath = std::move(path);
    update();
}

void InteractiveButtonOverlay::render(const GL::Viewport& viewport)
{
    painter().begin2D(viewport);
    painter().drawImage({m_iconPath, {0, 0, viewport.width, viewport.height}});
}

bool InteractiveButtonOverlay::hitTest(double x, double y, const GL::Viewport& view) const
{
    return isVisible() && placement(view).contains(x, y);
}

}  // namespace Tesselon
