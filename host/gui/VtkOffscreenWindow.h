#pragma once

#include <QImage>

class vtkRenderWindow;

namespace Tesselon {

class VtkViewRenderer;

/// An off-screen VTK window of a fixed size that renders one view and reads the frame back, for
/// screenshots, rendering tests and benchmarks. Needs an X server with OpenGL (xvfb-run without a display).
class VtkOffscreenWindow
{
public:
    VtkOffscreenWindow(int width, int height);
    ~VtkOffscreenWindow();
    VtkOffscreenWindow(const VtkOffscreenWindow&) = delete;
    VtkOffscreenWindow& operator=(const VtkOffscreenWindow&) = delete;

    /// Samples per pixel for smoothing edges (VTK's default until set); 0 draws as the window's 3D view does
    /// on a software renderer.
    void setMultiSamples(int samples);

    /// Shows `renderer`'s view in the window (one at a time); it must stay alive while shown.
    void show(VtkViewRenderer* renderer);

    /// Synchronises the view, renders one frame and waits until it is drawn.
    void render();
    /// Renders a frame and returns it, top row first.
    QImage grab();

private:
    vtkRenderWindow* m_window;
    VtkViewRenderer* m_renderer = nullptr;
};

}  // namespace Tesselon
