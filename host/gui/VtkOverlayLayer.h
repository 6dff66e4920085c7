#pragma once

#include "host/gl/Viewport.h"

#include <set>
#include <string>
#include <vector>

class vtkProp;
class vtkRenderer;

namespace Tesselon {

class GlOverlay;
class OverlayPainter;

/// Draws a view's overlays in a renderer: each frame it lets every visible overlay record its primitives
/// for its placement and turns lines into 2D poly data actors, texts into text actors and images into 2D
/// image actors. The primitives are rebuilt every frame because overlays record afresh in `render`.
class VtkOverlayLayer
{
public:
    explicit VtkOverlayLayer(vtkRenderer* renderer);
    ~VtkOverlayLayer();
    VtkOverlayLayer(const VtkOverlayLayer&) = delete;
    VtkOverlayLayer& operator=(const VtkOverlayLayer&) = delete;

    /// Replaces the previous frame's actors by those of `overlays` placed in `view` (pixels, origin bottom
    /// left).
    void update(const std::vector<GlOverlay*>& overlays, const GL::Viewport& view);

private:
    void addPrimitives(const OverlayPainter& painter, const GL::Viewport& placement);
    void addLines(const OverlayPainter& painter, const GL::Viewport& placement);
    void addTexts(const OverlayPainter& painter, const GL::Viewport& placement);
    void addImages(const OverlayPainter& painter, const GL::Viewport& placement);
    void addProp(vtkProp* prop);
    void clear();

    vtkRenderer* m_renderer;
    std::vector<vtkProp*> m_props;
    // Overlays record every frame: an unreadable image is reported once, not per frame.
    std::set<std::string> m_reportedPaths;
};

}  // namespace Tesselon
