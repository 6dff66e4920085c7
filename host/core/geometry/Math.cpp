#include "host/core/geometry/Math.h"

#include <cmath>

namespace Tesselon {
namespace {

// hue, saturation and value in [0, 1]
Eigen::Vector3d hsvToRgb(double hue, double saturation, double value)
{
    const double sector = hue * 6.0;
    const int index = static_cast<int>(std::floor(sector)) % 6;
    const double fraction = sector - std::floor(sector);
    const double p = value * (1.0 - saturation);
    const double q = value * (1.0 - saturation * fraction);
    const double t = value * (1.0 - saturation * (1.0 - fraction));
    switch (index) {
        case 0:
            return {value, t, p};
        case 1:
            return {q, value, p};
        case 2:
            return {p, value, t};
        case 3:
            return {p, q, value};
        case 4:
            return {t, p, value};
        default:
            return {value, p, q};
    }
}

}  // namespace

Eigen::Vector3d Math::transformPointAffine(const Eigen::Matrix4d& transform, const Eigen::Vector3d& point)
{
    return transform.topLeftCorner<3, 3>() * point + transform.topRightCorner<3, 1>();
}

std::vector<Eigen::Vector3d> Math::generateUniqueColors(int n, bool bright)
{
    // Stepping the hue by the golden ratio's fractional part keeps every prefix of the sequence spread
    // evenly round the colour wheel, so colours stay apart however many are asked for.
    constexpr double goldenRatioFraction = 0.618033988749894848;
    constexpr double startHue = 0.0;
    const double saturation = bright ? 0.85 : 0.45;
    const double value = bright ? 0.95 : 0.7;

    std::vector<Eigen::Vector3d> colors;
    if (n <= 0)
        return colors;
    colors.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double hue = std::fmod(startHue + i * goldenRatioFraction, 1.0);
        colors.push_back(hsvToRgb(hue, saturation, value));
    }
    return colors;
}

}  // namespace Tesselon
