#pragma once

#include <QImage>

namespace Tesselon {

/// The host's small interface icons, drawn with shapes only (no text, so no fonts or display are needed
/// at build time): white strokes and fills with a dark outline on a transparent background, readable on
/// light and dark panels alike.
class IconPainter
{
public:
    enum class Icon
    {
        Play,
        Stop,
        Recenter,
        ArrowLeft,
        ArrowRight
    };

    static QImage paint(Icon icon, int size = 64);
};

}  // namespace Tesselon
