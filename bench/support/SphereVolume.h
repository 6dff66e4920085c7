#pragma once

#include "host/core/model/SharedImageSet.h"

#include <array>
#include <memory>
#include <vector>

namespace Tesselon::Bench {

/// A cube of 1 mm voxels, `side` of them along each axis, holding a bright sphere of 80 mm radius at its
/// centre, like a phantom scan. The views' benchmarks show it at 256³.
inline std::unique_ptr<SharedImageSet> sphereVolume(int side)
{
    std::vector<float> values(static_cast<std::size_t>(side) * side * side);
    const double centre = (side - 1) / 2.0;
    std::size_t index = 0;
    for (int k = 0; k < side; ++k)
        for (int j = 0; j < side; ++j)
            for (int i = 0; i < side; ++i) {
                const double r2 =
                    (i - centre) * (i - centre) + (j - centre) * (j - centre) + (k - centre) * (k - centre);
                values[index++] = r2 < 80.0 * 80.0 ? 1000.0f : 0.0f;
            }
    return std::make_unique<SharedImageSet>(std::array<int, 3>{side, side, side}, Eigen::Vector3d::Ones(),
                                            std::move(values));
}

}  // namespace Tesselon::Bench
