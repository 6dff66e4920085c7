#pragma once

#include <Eigen/Core>

#include <cstddef>
#include <vector>

namespace Tesselon {

/// Pairs two equally long point sets whose order does not match: of every assignment, the one whose rigid
/// fit leaves the least RMS distance. Tries them all, so it is meant for a handful of landmarks (eight
/// take a fraction of a second). Used by `tesselon register --match`.
class BestPairing
{
public:
    /// `order[i]` is the index into `first` of the point paired with `second[i]`. Throws
    /// std::invalid_argument when the sizes differ or exceed `maximumPoints`.
    static std::vector<std::size_t> order(const std::vector<Eigen::Vector3d>& first,
                                          const std::vector<Eigen::Vector3d>& second);

    static constexpr std::size_t maximumPoints = 9;
};

}  // namespace Tesselon
