#pragma once

#include <Eigen/Core>

#include <array>
#include <vector>

namespace Tesselon {

/// A smooth 3-D curve through its control points, used for planned needle paths and for measuring how far
/// along such a path a tracked tip is.
///
/// The curve is a centripetal Catmull-Rom spline (alpha 0.5; Yuksel, Schaefer & Keyser 2011,
/// "Parameterization and applications of Catmull-Rom curves"): it passes through every control point, never
/// forms a cusp or a loop inside a segment and does not overshoot between unevenly spaced points, so the
/// drawn path stays where the planner put it. Uniform Catmull-Rom loops and overshoots at sharp turns,
/// chordal rounds corners off more widely. The ends use mirrored neighbours; repeated consecutive points give
/// a zero-length segment and the curve passes through them as if they were one point. Two points give a
/// straight segment.
///
/// The spline coordinate t runs from 0 to n-1 over n points: segment floor(t), local parameter t - floor(t).
/// An empty spline has length 0 and its nearest-point arc length is 0; evaluating it throws
/// std::invalid_argument, because there is no point to return. Immutable between `setControlPoints` calls, so
/// const calls may run concurrently.
class Spline
{
public:
    Spline() = default;
    /// Throws std::invalid_argument naming the first non-finite control point.
    explicit Spline(std::vector<Eigen::Vector3d> controlPoints);

    /// Replaces the curve. Throws std::invalid_argument naming the first non-finite control point, or when
    /// the coordinates are too large for the length to be finite; the curve is unchanged then.
    void setControlPoints(std::vector<Eigen::Vector3d> controlPoints);
    const std::vector<Eigen::Vector3d>& controlPoints() const { return m_controlPoints; }

    /// The point at spline coordinate t, clamped to [0, n-1]. Throws std::invalid_argument for an empty
    /// spline or a NaN t.
    Eigen::Vector3d evaluate(double t) const;
    /// The unit direction of travel at t (clamped). Where the curve stands still (a repeated point, a
    /// reversal) it is the direction of the nearest segment that moves; zero when no segment moves (one
    /// point, or all points equal). Throws like `evaluate`.
    Eigen::Vector3d evaluateTangent(double t) const;

    /// The arc length of the whole curve (mm); 0 for fewer than two distinct points.
    double getCurveLength() const { return m_length; }
    /// The arc length from the start to spline coordinate t (clamped). Throws std::invalid_argument for NaN.
    double splineCoordToArcLength(double t) const;
    /// The spline coordinate at arc length s from the start, s clamped to [0, length]. Inverse of
    /// `splineCoordToArcLength` where the curve moves. Throws std::invalid_argument for NaN.
    double arcLengthToSplineCoord(double s) const;

    /// The arc length of the curve point nearest to `point`, exact to rounding: segments and eighths of
    /// segments are pruned by bounding spheres, the survivors are minimised with safeguarded Newton steps
    /// and the result is integrated exactly. Linear in the control points with a small constant (a few
    /// microseconds for a thousand; bench/SplineBenchmark), so fit for every tracking sample. 0 for an empty
    /// spline. Throws std::invalid_argument for a non-finite point.
    double calculateNearestPointArcLength(const Eigen::Vector3d& point) const;

private:
    static constexpr int kPieces = 8;

    // One cubic p(u) = c0 + c1 u + c2 u² + c3 u³, u in [0, 1], cut into kPieces equal parameter pieces.
    struct Segment
    {
        Eigen::Matrix<double, 3, 4> coefficients;
        double start = 0.0;                                // arc length at u = 0
        std::array<double, kPieces + 1> pieceStart;        // arc length from u = 0 to u = k / kPieces
        std::array<Eigen::Vector4d, kPieces> pieceBounds;  // bounding spheres: centre, radius
    };

    struct Location
    {
        int segment = 0;
        double u = 0.0;
    };

    static Segment measuredSegment(const Eigen::Matrix<double, 3, 4>& cubic, double start);
    void requireControlPoints() const;
    Location locate(double t) const;
    Eigen::Vector3d tangentOfNearestMovingSegment(int segment) const;
    double arcLengthAt(const Segment& segment, double u) const;
    double localParameterAtArcLength(const Segment& segment, double s) const;
    void refineNearest(int segment, const Eigen::Vector3d& point, double& bestSquared, Location& best) const;

    std::vector<Eigen::Vector3d> m_controlPoints;
    std::vector<Segment> m_segments;
    std::vector<Eigen::Vector4d>
        m_segmentBounds;  // apart from the segments, so the first pruning pass stays in cache
    double m_length = 0.0;
};

}  // namespace Tesselon
