#include "host/core/model/PointCorrespondences.h"

#include <fmt/format.h>
#include <Eigen/Geometry>
#include <Eigen/SVD>

#include <algorithm>
#include <cmath>

namespace Tesselon {

namespace {

constexpr int kMinimumPairs = 3;
// Below this RMS spread (mm) along a principal axis the points give no usable direction along it.
constexpr double kMinimumSpreadMm = 1e-3;
// The same, relative to the spread along the main axis: catches lines at any scale.
constexpr double kMinimumSpreadRatio = 1e-6;

/// The principal axes of a point configuration and the RMS distance of the points from their centroid
/// along each, largest first.
struct PrincipalSpread
{
    Eigen::Vector3d centroid;
    Eigen::Matrix3d axes;
    Eigen::Vector3d rmsAlongAxes;
};

Eigen::Matrix3Xd gather(const std::vector<Eigen::Vector3d>& points, const std::vector<int>& indices,
                        const char* setName)
{
    Eigen::Matrix3Xd gathered(3, static_cast<Eigen::Index>(indices.size()));
    for (std::size_t k = 0; k < indices.size(); ++k) {
        const Eigen::Vector3d& p = points[static_cast<std::size_t>(indices[k])];
        if (!p.allFinite())
            throw PointCorrespondences::FitRefused(
                fmt::format("Point {} of the {} point set is not a finite position.", indices[k], setName));
        gathered.col(static_cast<Eigen::Index>(k)) = p;
    }
    return gathered;
}

PrincipalSpread principalSpread(const Eigen::Matrix3Xd& points)
{
    PrincipalSpread spread;
    spread.centroid = points.rowwise().mean();
    const Eigen::Matrix3Xd centred = points.colwise() - spread.centroid;
    const Eigen::JacobiSVD<Eigen::Matrix3Xd> svd(centred, Eigen::ComputeFullU);
    spread.axes = svd.matrixU();
    spread.rmsAlongAxes = svd.singularValues() / std::sqrt(static_cast<double>(points.cols()));
    return spread;
}

void checkConfiguration(const PrincipalSpread& spread, const char* setName)
{
    if (spread.rmsAlongAxes(0) < kMinimumSpreadMm)
        throw PointCorrespondences::FitRefused(
            fmt::format("The points of the {} point set coincide (they spread less than {} mm), so they "
                        "cannot determine a rotation.",
                        setName, kMinimumSpreadMm));
    if (spread.rmsAlongAxes(1) < kMinimumSpreadMm ||
        spread.rmsAlongAxes(1) < kMinimumSpreadRatio * spread.rmsAlongAxes(0))
        throw PointCorrespondences::FitRefused(
            fmt::format("The points of the {} point set lie on a line, so they cannot determine the rotation "
                        "about it.",
                        setName));
}

/// The second set's configuration, after checking that both sets can determine a rigid fit.
PrincipalSpread checkedSecondSpread(const PointCorrespondences& pairs, const std::vector<int>& indices)
{
    checkConfiguration(principalSpread(gather(pairs.first().allPoints(), indices, "first")), "first");
    const PrincipalSpread second = principalSpread(gather(pairs.second().allPoints(), indices, "second"));
    checkConfiguration(second, "second");
    return second;
}

double rmsDistance(const Eigen::Matrix4d& transform, const Eigen::Matrix3Xd& source,
                   const Eigen::Matrix3Xd& target)
{
    const Eigen::Matrix3Xd moved =
        (transform.topLeftCorner<3, 3>() * source).colwise() + transform.topRightCorner<3, 1>();
    return std::sqrt((moved - target).colwise().squaredNorm().mean());
}

void checkNonNegative(double value, const char* what)
{
    if (!std::isfinite(value) || value < 0.0)
        throw std::invalid_argument(
            fmt::format("The {} must be a finite, non-negative distance in mm; got {}.", what, value));
}

}  // namespace

PointCorrespondences::PointCorrespondences(std::shared_ptr<PointsOnData> first,
                                           std::shared_ptr<PointsOnData> second)
    : m_first(std::move(first)), m_second(std::move(second))
{
    if (!m_first || !m_second)
        throw std::invalid_argument("Point correspondences need two point sets; one of them is missing.");
}

// Non-owning pointers: the aliasing constructor with an empty owner never deletes.
PointCorrespondences::PointCorrespondences(PointsOnData& first, PointsOnData& second)
    : m_first(std::shared_ptr<void>(), &first), m_second(std::shared_ptr<void>(), &second)
{
}

int PointCorrespondences::size() const
{
    return std::min(m_first->size(), m_second->size());
}

void PointCorrespondences::clear()
{
    m_first->clear();
    m_second->clear();
}

Eigen::Matrix4d PointCorrespondences::fitRigid(double* error, const std::vector<int>* subset) const
{
    const std::vector<int> indices = pairIndices(subset);
    const Eigen::Matrix3Xd source = gather(m_first->allPoints(), indices, "first");
    const Eigen::Matrix3Xd target = gather(m_second->allPoints(), indices, "second");
    checkConfiguration(principalSpread(source), "first");
    checkConfiguration(principalSpread(target), "second");
    const Eigen::Matrix4d transform = Eigen::umeyama(source, target, false);
    if (error)
        *error = rmsDistance(transform, source, target);
    return transform;
}

std::vector<double> PointCorrespondences::residuals(const Eigen::Matrix4d& firstToSecond) const
{
    std::vector<double> distances;
    const auto& first = m_first->allPoints();
    const auto& second = m_second->allPoints();
    for (std::size_t i = 0; i < static_cast<std::size_t>(size()); ++i) {
        const Eigen::Vector3d moved =
            firstToSecond.topLeftCorner<3, 3>() * first[i] + firstToSecond.topRightCorner<3, 1>();
        distances.push_back((moved - second[i]).norm());
    }
    return distances;
}

double PointCorrespondences::expectedTargetError(const Eigen::Vector3d& targetInSecondSet,
                                                 double fiducialLocalisationErrorRms,
                                                 const std::vector<int>* subset) const
{
    checkNonNegative(fiducialLocalisationErrorRms, "fiducial localisation error");
    if (!targetInSecondSet.allFinite())
        throw std::invalid_argument(
            "The target of a registration error prediction must be a finite position.");
    const std::vector<int> indices = pairIndices(subset);
    const PrincipalSpread fiducials = checkedSecondSpread(*this, indices);

    const Eigen::Vector3d target = targetInSecondSet - fiducials.centroid;
    const Eigen::Vector3d squaredAlong = fiducials.rmsAlongAxes.cwiseAbs2();
    double sum = 0.0;
    for (int k = 0; k < 3; ++k) {
        const double along = target.dot(fiducials.axes.col(k));
        const double targetFromAxis2 = target.squaredNorm() - along * along;
        const double fiducialsFromAxis2 = squaredAlong.sum() - squaredAlong(k);
        sum += targetFromAxis2 / fiducialsFromAxis2;
    }
    const double n = static_cast<double>(indices.size());
    return fiducialLocalisationErrorRms * std::sqrt((1.0 + sum / 3.0) / n);
}

double PointCorrespondences::localisationErrorFromFit(double fitErrorRms, int pairCount)
{
    checkNonNegative(fitErrorRms, "fit error");
    if (pairCount < kMinimumPairs)
        throw std::invalid_argument(fmt::format(
            "The localisation error can only be estimated from a fit over at least {} pairs; got {}.",
            kMinimumPairs, pairCount));
    const double n = pairCount;
    return fitErrorRms * std::sqrt(n / (n - 2.0));
}

std::vector<int> PointCorrespondences::pairIndices(const std::vector<int>* subset) const
{
    const int pairs = size();
    std::vector<int> indices;
    if (subset) {
        indices = *subset;
        for (const int i : indices)
            if (i < 0 || i >= pairs)
                throw FitRefused(fmt::format("Pair {} does not exist; there are {} pairs.", i, pairs));
        std::vector<int> sorted = indices;
        std::sort(sorted.begin(), sorted.end());
        if (const auto twice = std::adjacent_find(sorted.begin(), sorted.end()); twice != sorted.end())
            throw FitRefused(fmt::format("Pair {} is listed twice.", *twice));
    } else {
        for (int i = 0; i < pairs; ++i)
            indices.push_back(i);
    }
    if (static_cast<int>(indices.size()) < kMinimumPairs)
        throw FitRefused(fmt::format("A rigid fit needs at least {} point pairs; {} {} available.",
                                     kMinimumPairs, indices.size(), indices.size() == 1 ? "is" : "are"));
    return indices;
}

}  // namespace Tesselon
