#include "app/BestPairing.h"

#include <Eigen/Geometry>

#include <fmt/core.h>

#include <algorithm>
#include <limits>
#include <numeric>
#include <stdexcept>

namespace Tesselon {
namespace {

Eigen::Matrix3Xd columns(const std::vector<Eigen::Vector3d>& points)
{
    Eigen::Matrix3Xd matrix(3, static_cast<Eigen::Index>(points.size()));
    for (std::size_t i = 0; i < points.size(); ++i)
        matrix.col(static_cast<Eigen::Index>(i)) = points[i];
    return matrix;
}

// Umeyama 1991 without scaling; only the ranking of assignments matters here, so the sum of squares will do.
double fitSquaredError(const Eigen::Matrix3Xd& source, const Eigen::Matrix3Xd& target)
{
    const Eigen::Matrix4d transform = Eigen::umeyama(source, target, false);
    const Eigen::Matrix3Xd moved =
        (transform.topLeftCorner<3, 3>() * source).colwise() + transform.topRightCorner<3, 1>();
    return (moved - target).squaredNorm();
}

}  // namespace

std::vector<std::size_t> BestPairing::order(const std::vector<Eigen::Vector3d>& first,
                                            const std::vector<Eigen::Vector3d>& second)
{
    if (first.size() != second.size() || first.size() > maximumPoints)
        throw std::invalid_argument(fmt::format(
            "Matching pairs {} points with {}; it needs two lists of equal length, at most {} points each.",
            first.size(), second.size(), maximumPoints));
    const Eigen::Matrix3Xd target = columns(second);
    std::vector<std::size_t> candidate(first.size());
    std::iota(candidate.begin(), candidate.end(), std::size_t{0});
    std::vector<std::size_t> best = candidate;
    double bestError = std::numeric_limits<double>::infinity();
    Eigen::Matrix3Xd source(3, target.cols());
    do {
        for (std::size_t i = 0; i < candidate.size(); ++i)
            source.col(static_cast<Eigen::Index>(i)) = first[candidate[i]];
        const double error = fitSquaredError(source, target);
        if (error < bestError) {
            bestError = error;
            best = candidate;
        }
    } while (std::next_permutation(candidate.begin(), candidate.end()));
    return best;
}

}  // namespace Tesselon
