#include "host/gui/VtkOffscreenWindow.h"

#include "host/gui/VtkViewRenderer.h"

#include <vtkNew.h>
#include <vtkRenderWindow.h>
#include <vtkUnsignedCharArray.h>

#include <cstring>

namespace Tesselon {

VtkOffscreenWindow::VtkOffscreenWindow(int width, int height) : m_window(vtkRenderWindow::New())
{
    m_window->SetOffScreenRendering(1);
    m_window->SetSize(width, height);
    m_window->SetNumberOfLayers(2);
}

VtkOffscreenWindow::~VtkOffscreenWindow()
{
    if (m_renderer)
        m_renderer->removeFrom(m_window);
    m_window->Finalize();
    m_window->Delete();
}

void VtkOffscreenWindow::setMultiSamples(int samples)
{
    m_window->SetMultiSamples(samples);
}

void VtkOffscreenWindow::show(VtkViewRenderer* renderer)
{
    if (m_renderer)
        m_renderer->removeFrom(m_window);
    m_renderer = renderer;
    if (m_renderer)
        m_renderer->addTo(m_window);
}

void VtkOffscreenWindow::render()
{
    if (m_renderer)
        m_renderer->synchronize();
    m_window->Render();
    m_window->WaitForCompletion();
}

QImage VtkOffscreenWindow::grab()
{
    render();
    const int* size = m_window->GetSize();
    const int width = size[0];
    const int height = size[1];
    vtkNew<vtkUnsignedCharArray> pixels;
    m_window->GetRGBACharPixelData(0, 0, width - 1, height - 1, 0, pixels);
    QImage image(width, height, QImage::Format_RGBA8888);
    // OpenGL rows run bottom-up, QImage rows top-down.
    for (int row = 0; row < height; ++row)
        std::memcpy(image.scanLine(height - 1 - row),
                    pixels->GetPointer(static_cast<vtkIdType>(row) * width * 4),
                    static_cast<std::size_t>(width) * 4);
    return image;
}

}  // namespace Tesselon
