#pragma once

#include "host/core/base/Signal.h"
#include "host/gl/GlOverlay.h"

#include <string>

namespace Tesselon {

/// A clickable icon on top of a view. The view forwards mouse presses: `hitTest` says whether a press
/// hit the button, `click` emits `clicked`.
class InteractiveButtonOverlay : public GlOverlay
{
public:
    /// `anchor` is a `GlOverlay::Anchor` value; `size` the icon's side in pixels.
    explicit InteractiveButtonOverlay(int anchor, std::string iconPath = {}, int size = 32);

    const std::string& iconPath() const { return m_iconPath; }
    void setIconPath(std::string path);

    /// Records the icon over the whole rectangle it is given.
    void render(const GL::Viewport& viewport) override;

    /// Whether a pixel position in the view (origin bottom left) hits the visible button.
    bool hitTest(double x, double y, const GL::Viewport& view) const;
    /// Acts as if the user clicked the button.
    void click() { clicked.emitSignal(); }

    Signal<> clicked;

private:
    std::string m_iconPath;
};

}  // namespace Tesselon
