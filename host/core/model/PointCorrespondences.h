#pragma once

#include "host/core/model/PointsOnData.h"

#include <Eigen/Core>

#include <memory>
#include <stdexcept>
#include <vector>

namespace Tesselon {

/// Pairs point i of a first point set with point i of a second one, and fits the rigid transform that maps
/// the first set's points onto the second's (Umeyama 1991, without scaling). Pairs are by index, so there
/// are as many as the smaller set has points.
///
/// Fits and predictions refuse point configurations that cannot determine a rotation by throwing
/// `FitRefused` with a sentence for the user; nothing is changed then. Not locked, like the point sets.
class PointCorrespondences
{
public:
    /// Why a fit or a prediction was refused: too few pairs, points on a line or on one spot, a non-finite
    /// coordinate, or an invalid pair index in the subset.
    class FitRefused : public std::invalid_argument
    {
    public:
        using std::invalid_argument::invalid_argument;
    };

    /// Shares ownership of both sets. Throws std::invalid_argument when either is null.
    PointCorrespondences(std::shared_ptr<PointsOnData> first, std::shared_ptr<PointsOnData> second);
    /// Refers to sets owned elsewhere, which must outlive this object.
    PointCorrespondences(PointsOnData& first, PointsOnData& second);

    PointsOnData& first() const { return *m_first; }
    PointsOnData& second() const { return *m_second; }

    /// The number of pairs: the smaller of the two set sizes.
    int size() const;
    /// Removes every point of both sets.
    void clear();

    /// The 4x4 rigid transform (rotation and translation) mapping first-set points onto second-set points
    /// with the least squared distance, fitted over the pairs listed in `subset` (pair indices; every pair
    /// when null). `error`, when given, receives the RMS distance of the fitted pairs after the fit (the
    /// fiducial registration error). Needs at least three pairs whose points, in each set, neither coincide
    /// nor lie on a line; throws `FitRefused` otherwise.
    Eigen::Matrix4d fitRigid(double* error = nullptr, const std::vector<int>* subset = nullptr) const;

    /// |transform · first(i) - second(i)| for every pair i, in index order.
    std::vector<double> residuals(const Eigen::Matrix4d& firstToSecond) const;

    /// The expected RMS target registration error (mm) at a target given in second-set coordinates, for
    /// fiducials localised with this 3-D RMS error (Fitzpatrick, West & Maurer 1998):
    ///     TRE²(r) ≈ FLE²/N · (1 + 1/3 · Σₖ dₖ²/fₖ²),
    /// where dₖ is the distance of r from principal axis k of the second set's fiducials and fₖ the RMS
    /// distance of the fiducials from that axis. With localisation errors in both sets, pass the combined
    /// error √(FLE₁² + FLE₂²). Uses the pairs in `subset` (every pair when null); throws `FitRefused` for
    /// the configurations `fitRigid` refuses and std::invalid_argument for a negative or non-finite FLE.
    double expectedTargetError(const Eigen::Vector3d& targetInSecondSet, double fiducialLocalisationErrorRms,
                               const std::vector<int>* subset = nullptr) const;

    /// An estimate of the 3-D RMS fiducial localisation error from the RMS error of a fit over `pairCount`
    /// pairs: E[FRE²] = (1 - 2/N)·FLE² (Fitzpatrick, West & Maurer 1998), so FLE ≈ FRE·√(N/(N-2)). Unbiased
    /// for FLE², noisy for few pairs. Throws std::invalid_argument for fewer than three pairs or a
    /// negative or non-finite error.
    static double localisationErrorFromFit(double fitErrorRms, int pairCount);

private:
    std::vector<int> pairIndices(const std::vector<int>* subset) const;

    std::shared_ptr<PointsOnData> m_first;
    std::shared_ptr<PointsOnData> m_second;
};

}  // namespace Tesselon
