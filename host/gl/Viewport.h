#pragma once

namespace Tesselon::GL {

/// A rectangle of a view in pixels, origin at the bottom left.
struct Viewport
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const Viewport&) const = default;
    bool isEmpty() const { return width <= 0 || height <= 0; }
    /// Whether the pixel position lies inside, left and bottom edges included.
    bool contains(double px, double py) const
    {
        return px >= x && px < x + width && py >= y && py < y + height;
    }
};

}  // namespace Tesselon::GL
