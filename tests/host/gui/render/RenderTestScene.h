#pragma once

#include "host/core/model/SharedImageSet.h"
#include "host/gl/GlView.h"
#include "host/gui/VtkOffscreenWindow.h"
#include "host/gui/VtkViewRenderer.h"

#include <QColor>
#include <QImage>

#include <cstdlib>
#include <memory>

namespace Tesselon::Test {

/// Rendered frames are small: every test reads a few pixels of a 200 × 200 window.
constexpr int frameSize = 200;

/// The colour of a pixel counted from the bottom left, as the model places things.
inline QColor pixelAt(const QImage& image, int x, int yFromBottom)
{
    return image.pixelColor(x, image.height() - 1 - yFromBottom);
}

inline bool isBlack(const QColor& color)
{
    return color.red() < 20 && color.green() < 20 && color.blue() < 20;
}

/// Whether the pixel is clearly of the given primary-like colour (each channel within a wide tolerance,
/// because lighting and smoothing shade what is drawn).
inline bool isNear(const QColor& color, int red, int green, int blue, int tolerance = 80)
{
    return std::abs(color.red() - red) <= tolerance && std::abs(color.green() - green) <= tolerance &&
           std::abs(color.blue() - blue) <= tolerance;
}

/// How many pixels of the rectangle [x0, x1) × [y0, y1) (counted from the bottom left) are not black.
inline int litPixels(const QImage& image, int x0, int y0, int x1, int y1)
{
    int lit = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            lit += isBlack(pixelAt(image, x, y)) ? 0 : 1;
    return lit;
}

constexpr int volumeSide = 40;
constexpr float blockValue = 1000.0f;

/// A 40 mm cube of 1 mm voxels, zero but for a bright block at x, y in [25, 35] and z in [5, 15]: off
/// centre differently along each axis, so a swapped or mirrored plane shows it elsewhere.
inline SharedImageSet blockVolume()
{
    std::vector<float> values(volumeSide * volumeSide * volumeSide, 0.0f);
    for (int k = 5; k <= 15; ++k)
        for (int j = 25; j <= 35; ++j)
            for (int i = 25; i <= 35; ++i)
                values[(static_cast<std::size_t>(k) * volumeSide + j) * volumeSide + i] = blockValue;
    return SharedImageSet({volumeSide, volumeSide, volumeSide}, Eigen::Vector3d::Ones(), std::move(values));
}

/// A view rendered off screen at `frameSize`.
template <class View>
struct RenderedView
{
    template <class... Args>
    explicit RenderedView(Args&&... args) : view(std::forward<Args>(args)...)
    {
        window.show(&renderer);
    }

    QImage grab() { return window.grab(); }

    View view;
    VtkViewRenderer renderer{&view};
    VtkOffscreenWindow window{frameSize, frameSize};
};

}  // namespace Tesselon::Test
