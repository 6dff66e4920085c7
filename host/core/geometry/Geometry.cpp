#include "host/core/geometry/Geometry.h"

#include "host/core/geometry/Pose.h"

#include <fmt/format.h>
#include <Eigen/Cholesky>
#include <Eigen/Eigenvalues>
#include <Eigen/QR>
#include <Eigen/SVD>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <string>
#include <utility>

namespace Tesselon {

namespace {

using Poses = std::vector<Eigen::Matrix4d>;
using Indices = std::vector<std::size_t>;

// The median norm of a 3-D standard Gaussian vector (chi distribution, 3 degrees of freedom): turns the
// median residual norm into a per-axis noise scale, the 3-D counterpart of the MAD's 0.6745.
constexpr double kMedianGaussianNorm3 = 1.5382;

struct Solution
{
    Eigen::Vector3d tip;
    Eigen::Vector3d pivot;
};

double toDegrees(double radians)
{
    return radians * 180.0 / std::numbers::pi;
}

Eigen::Matrix3d rotationOf(const Eigen::Matrix4d& pose)
{
    return pose.topLeftCorner<3, 3>();
}

Eigen::Vector3d translationOf(const Eigen::Matrix4d& pose)
{
    return pose.topRightCorner<3, 1>();
}

Indices rigidPoses(const Poses& poses, double tolerance)
{
    Indices rigid;
    for (std::size_t i = 0; i < poses.size(); ++i) {
        if (Pose::isRigid(poses[i], tolerance))
            rigid.push_back(i);
    }
    return rigid;
}

Eigen::Matrix3d arithmeticMeanRotation(const Poses& poses, const Indices& used)
{
    Eigen::Matrix3d sum = Eigen::Matrix3d::Zero();
    for (const std::size_t i : used)
        sum += rotationOf(poses[i]);
    return sum / static_cast<double>(used.size());
}

// The chordal L2 mean (Hartley et al. 2013): the rotation nearest to the arithmetic mean of the matrices.
Eigen::Matrix3d chordalMeanRotation(const Eigen::Matrix3d& arithmeticMean)
{
    const Eigen::JacobiSVD<Eigen::Matrix3d> svd(arithmeticMean, Eigen::ComputeFullU | Eigen::ComputeFullV);
    Eigen::Matrix3d reflectionFix = Eigen::Matrix3d::Identity();
    reflectionFix(2, 2) = (svd.matrixU() * svd.matrixV().transpose()).determinant() < 0.0 ? -1.0 : 1.0;
    return svd.matrixU() * reflectionFix * svd.matrixV().transpose();
}

double rotationRangeDegrees(const Poses& poses, const Indices& used)
{
    const Eigen::Matrix3d mean = chordalMeanRotation(arithmeticMeanRotation(poses, used));
    double largest = 0.0;
    for (const std::size_t i : used)
        largest = std::max(largest, Pose::geodesicDistance(mean, rotationOf(poses[i])));
    return toDegrees(largest);
}

// sqrt(smallest / largest eigenvalue) of sum (R_i - mean R)ᵀ(R_i - mean R), the matrix the tip is solved
// with. If every rotation shares an axis u then R_i·u = u = (mean R)·u, so u is in its null space.
double axisSpreadRatio(const Poses& poses, const Indices& used)
{
    const Eigen::Matrix3d mean = arithmeticMeanRotation(poses, used);
    Eigen::Matrix3d scatter = Eigen::Matrix3d::Zero();
    for (const std::size_t i : used) {
        const Eigen::Matrix3d deviation = rotationOf(poses[i]) - mean;
        scatter += deviation.transpose() * deviation;
    }
    const Eigen::Vector3d ascending =
        Eigen::SelfAdjointEigenSolver<Eigen::Matrix3d>(scatter, Eigen::EigenvaluesOnly).eigenvalues();
    if (!(ascending(2) > 0.0))
        return 0.0;
    return std::sqrt(std::max(ascending(0), 0.0) / ascending(2));
}

// Why this motion cannot determine the tip, or empty when it can.
std::string motionProblem(const Poses& poses, const Indices& used, double rangeDegrees,
                          const PivotFitOptions& options)
{
    if (used.size() < options.minimumPoses)
        return fmt::format("The recording has only {} usable poses; at least {} are needed.", used.size(),
                           options.minimumPoses);
    if (rangeDegrees < options.minimumRotationRangeDegrees) {
        return fmt::format(
            "The tool hardly turned (largest rotation {:.1f} degrees); pivot it further about "
            "its tip in every direction.",
            rangeDegrees);
    }
    if (axisSpreadRatio(poses, used) < options.minimumAxisSpreadRatio) {
        return "The tool turned about one axis only; the tip cannot be found from such a motion. "
               "Pivot it in a cone, not in a plane.";
    }
    return {};
}

// Weighted least squares of sum w_i |R_i·tip + t_i - pivot|². The pivot is eliminated as the weighted mean
// R̄·tip + t̄, which leaves a centred 3x3 system for the tip, free of the large tracker-frame translations.
std::optional<Solution> solveWeighted(const Poses& poses, const Indices& used,
                                      const std::vector<double>& weights)
{
    double total = 0.0;
    Eigen::Matrix3d meanRotation = Eigen::Matrix3d::Zero();
    Eigen::Vector3d meanTranslation = Eigen::Vector3d::Zero();
    for (std::size_t k = 0; k < used.size(); ++k) {
        total += weights[k];
        meanRotation += weights[k] * rotationOf(poses[used[k]]);
        meanTranslation += weights[k] * translationOf(poses[used[k]]);
    }
    if (!(total > 0.0))
        return std::nullopt;
    meanRotation /= total;
    meanTranslation /= total;
    Eigen::Matrix3d normal = Eigen::Matrix3d::Zero();
    Eigen::Vector3d rightSide = Eigen::Vector3d::Zero();
    for (std::size_t k = 0; k < used.size(); ++k) {
        const Eigen::Matrix3d deviation = rotationOf(poses[used[k]]) - meanRotation;
        normal += weights[k] * deviation.transpose() * deviation;
        rightSide -= weights[k] * deviation.transpose() * (translationOf(poses[used[k]]) - meanTranslation);
    }
    const Eigen::LDLT<Eigen::Matrix3d> factor(normal);
    if (factor.info() != Eigen::Success || !factor.isPositive())
        return std::nullopt;
    Solution solution;
    solution.tip = factor.solve(rightSide);
    solution.pivot = meanRotation * solution.tip + meanTranslation;
    if (!solution.tip.allFinite() || !solution.pivot.allFinite())
        return std::nullopt;
    return solution;
}

std::optional<Solution> solveUnweighted(const Poses& poses, const Indices& used)
{
    return solveWeighted(poses, used, std::vector<double>(used.size(), 1.0));
}

// The textbook one-step form: every pose adds three rows of [R_i, -I]·[tip; pivot] = -t_i.
std::optional<Solution> solveStacked(const Poses& poses, const Indices& used)
{
    const auto rows = static_cast<Eigen::Index>(3 * used.size());
    Eigen::MatrixXd system(rows, 6);
    Eigen::VectorXd rightSide(rows);
    for (std::size_t k = 0; k < used.size(); ++k) {
        const auto row = static_cast<Eigen::Index>(3 * k);
        system.block<3, 3>(row, 0) = rotationOf(poses[used[k]]);
        system.block<3, 3>(row, 3) = -Eigen::Matrix3d::Identity();
        rightSide.segment<3>(row) = -translationOf(poses[used[k]]);
    }
    const Eigen::ColPivHouseholderQR<Eigen::MatrixXd> qr(system);
    if (qr.rank() < 6)
        return std::nullopt;
    const Eigen::VectorXd unknowns = qr.solve(rightSide);
    const Solution solution{unknowns.head<3>(), unknowns.tail<3>()};
    if (!solution.tip.allFinite() || !solution.pivot.allFinite())
        return std::nullopt;
    return solution;
}

std::vector<Eigen::Vector3d> residualVectors(const Poses& poses, const Indices& used,
                                             const Solution& solution)
{
    std::vector<Eigen::Vector3d> result;
    result.reserve(used.size());
    for (const std::size_t i : used)
        result.push_back(rotationOf(poses[i]) * solution.tip + translationOf(poses[i]) - solution.pivot);
    return result;
}

double median(std::vector<double> values)
{
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    if (values.size() % 2 == 1)
        return *middle;
    return 0.5 * (*middle + *std::max_element(values.begin(), middle));
}

// Tukey's biweight (Beaton & Tukey 1974): (1 - (d/c)²)² inside the cutoff c, zero outside.
std::vector<double> biweights(const std::vector<double>& distances, double cutoff)
{
    std::vector<double> weights;
    weights.reserve(distances.size());
    for (const double d : distances) {
        const double u = d / cutoff;
        weights.push_back(u < 1.0 ? (1.0 - u * u) * (1.0 - u * u) : 0.0);
    }
    return weights;
}

// First pass: residual norms against a scale from their median, which tolerates up to half the poses slipped.
std::vector<double> isotropicWeights(const std::vector<Eigen::Vector3d>& residuals,
                                     const std::vector<double>&, const PivotFitOptions& options)
{
    std::vector<double> norms;
    norms.reserve(residuals.size());
    for (const Eigen::Vector3d& e : residuals)
        norms.push_back(e.norm());
    const double scale = std::max(options.minimumResidualScale, median(norms) / kMedianGaussianNorm3);
    return biweights(norms, options.tukeyCutoff * scale);
}

// Second pass: Mahalanobis distances under the covariance of the residuals trusted so far, floored at the
// minimum scale on every axis. Tracker noise is larger in depth and orientation noise acts through the tip's
// lever arm, so residuals spread unevenly; judged by their norm, the tails along the wide direction would
// pass for outliers.
std::vector<double> mahalanobisWeights(const std::vector<Eigen::Vector3d>& residuals,
                                       const std::vector<double>& previousWeights,
                                       const PivotFitOptions& options)
{
    Eigen::Matrix3d covariance = Eigen::Matrix3d::Zero();
    double count = 0.0;
    for (std::size_t k = 0; k < residuals.size(); ++k) {
        if (previousWeights[k] > 0.0) {
            covariance += residuals[k] * residuals[k].transpose();
            count += 1.0;
        }
    }
    const double floor = options.minimumResidualScale * options.minimumResidualScale;
    covariance = covariance / std::max(count, 1.0) + floor * Eigen::Matrix3d::Identity();
    const Eigen::LLT<Eigen::Matrix3d> factor(covariance);
    std::vector<double> distances;
    distances.reserve(residuals.size());
    for (const Eigen::Vector3d& e : residuals)
        distances.push_back(factor.matrixL().solve(e).norm());
    return biweights(distances, options.tukeyCutoff);
}

using Weighting = std::vector<double> (*)(const std::vector<Eigen::Vector3d>&, const std::vector<double>&,
                                          const PivotFitOptions&);

bool converged(const Solution& previous, const Solution& next, double tolerance)
{
    return (previous.tip - next.tip).norm() < tolerance && (previous.pivot - next.pivot).norm() < tolerance;
}

// Iteratively reweighted least squares: updates the solution and the weights at it.
void reweight(const Poses& poses, const Indices& used, Weighting weighting, Solution& solution,
              std::vector<double>& weights, const PivotFitOptions& options)
{
    weights = weighting(residualVectors(poses, used, solution), weights, options);
    for (int iteration = 0; iteration < options.maximumIterations; ++iteration) {
        const std::optional<Solution> next = solveWeighted(poses, used, weights);
        if (!next)
            return;
        const bool done = converged(solution, *next, options.convergenceTolerance);
        solution = *next;
        weights = weighting(residualVectors(poses, used, solution), weights, options);
        if (done)
            return;
    }
}

// The poses to trust: those with a non-zero weight after a robust first pass and a second pass that
// accounts for the shape of the noise.
Indices trustedPoses(const Poses& poses, const Indices& used, Solution solution,
                     const PivotFitOptions& options)
{
    std::vector<double> weights(used.size(), 1.0);
    reweight(poses, used, isotropicWeights, solution, weights, options);
    reweight(poses, used, mahalanobisWeights, solution, weights, options);
    Indices trusted;
    for (std::size_t k = 0; k < used.size(); ++k) {
        if (weights[k] > 0.0)
            trusted.push_back(used[k]);
    }
    return trusted;
}

PivotFit invalid(PivotFit fit, std::string problem)
{
    fit.valid = false;
    fit.problem = std::move(problem);
    return fit;
}

// The fit's sample counts and motion range, with `problem` set when the motion cannot determine the tip.
PivotFit checkedRecording(const Poses& poses, const Indices& used, const PivotFitOptions& options)
{
    PivotFit fit;
    fit.samples = poses.size();
    fit.inliers.assign(poses.size(), false);
    if (!used.empty())
        fit.rotationRangeDegrees = rotationRangeDegrees(poses, used);
    fit.problem = motionProblem(poses, used, fit.rotationRangeDegrees, options);
    return fit;
}

PivotFit completed(PivotFit fit, const Poses& poses, const Indices& used, const Indices& trusted,
                   const Solution& solution)
{
    fit.valid = true;
    fit.problem.clear();
    fit.tipInMarker = solution.tip;
    fit.pivotInTracker = solution.pivot;
    for (const std::size_t i : trusted)
        fit.inliers[i] = true;
    fit.samplesUsed = trusted.size();
    std::vector<double> all;
    for (const Eigen::Vector3d& e : residualVectors(poses, used, solution))
        all.push_back(e.norm());
    double sum = 0.0;
    double sumOfSquares = 0.0;
    for (const double r : all) {
        sum += r;
        sumOfSquares += r * r;
    }
    const auto count = static_cast<double>(all.size());
    fit.minResidual = *std::min_element(all.begin(), all.end());
    fit.maxResidual = *std::max_element(all.begin(), all.end());
    fit.meanResidual = sum / count;
    fit.rmsResidual = std::sqrt(sumOfSquares / count);
    return fit;
}

const char* const kUndetermined =
    "The poses do not determine the tip; pivot the tool about its tip in a cone and record again.";

}  // namespace

PivotFit Geometry::fitSpherePivotingPoses(const std::vector<Eigen::Matrix4d>& markerToTrackerPoses,
                                          const PivotFitOptions& options)
{
    const Poses& poses = markerToTrackerPoses;
    const Indices used = rigidPoses(poses, options.rigidityTolerance);
    PivotFit fit = checkedRecording(poses, used, options);
    if (!fit.problem.empty())
        return fit;
    const std::optional<Solution> start = solveUnweighted(poses, used);
    if (!start)
        return invalid(std::move(fit), kUndetermined);
    const Indices trusted = trustedPoses(poses, used, *start, options);
    if (trusted.size() < options.minimumPoses) {
        return invalid(
            std::move(fit),
            fmt::format("Only {} of the {} usable poses agree on one pivot point; the tip slipped too "
                        "often. Record again with the tip held still in its divot.",
                        trusted.size(), used.size()));
    }
    // The trusted poses alone must still turn enough, and about more than one axis.
    const std::string problem = motionProblem(poses, trusted, rotationRangeDegrees(poses, trusted), options);
    if (!problem.empty())
        return invalid(std::move(fit), problem);
    const std::optional<Solution> solution = solveUnweighted(poses, trusted);
    if (!solution)
        return invalid(std::move(fit), kUndetermined);
    return completed(std::move(fit), poses, used, trusted, *solution);
}

PivotFit Geometry::fitSpherePivotingPosesAlgebraic(const std::vector<Eigen::Matrix4d>& markerToTrackerPoses,
                                                   const PivotFitOptions& options)
{
    const Poses& poses = markerToTrackerPoses;
    const Indices used = rigidPoses(poses, options.rigidityTolerance);
    PivotFit fit = checkedRecording(poses, used, options);
    if (!fit.problem.empty())
        return fit;
    const std::optional<Solution> solution = solveStacked(poses, used);
    if (!solution)
        return invalid(std::move(fit), kUndetermined);
    return completed(std::move(fit), poses, used, used, *solution);
}

}  // namespace Tesselon
