#pragma once

#include <Eigen/Core>

#include <vector>

namespace Tesselon {

/// Small numeric helpers on points and transforms.
class Math
{
public:
    /// R·p + t with the upper 3x4 block of `transform`; the bottom row is ignored (no projective division).
    static Eigen::Vector3d transformPointAffine(const Eigen::Matrix4d& transform,
                                                const Eigen::Vector3d& point);

    /// `n` RGB colours in [0, 1] with well-separated hues, the same on every call; the first k of n
    /// colours are those of k, so adding an item never recolours the others. `bright` gives saturated,
    /// light colours, otherwise muted ones. Empty for n <= 0.
    static std::vector<Eigen::Vector3d> generateUniqueColors(int n, bool bright);
};

}  // namespace Tesselon
