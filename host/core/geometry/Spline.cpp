#include "host/core/geometry/Spline.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <utility>

namespace Tesselon {

namespace {

using Cubic = Eigen::Matrix<double, 3, 4>;

// Gauss-Legendre, 8 nodes on [-1, 1]: exact for polynomials up to degree 15; the speed |p'(u)| is the root
// of a quartic, smooth wherever the curve moves.
constexpr std::array<double, 4> kGaussNodes = {0.1834346424956498, 0.5255324099163290, 0.7966664774136267,
                                               0.9602898564975363};
constexpr std::array<double, 4> kGaussWeights = {0.3626837833783620, 0.3137066458778873, 0.2223810344533745,
                                                 0.1012285362903763};

Eigen::Vector3d position(const Cubic& c, double u)
{
    return c.col(0) + u * (c.col(1) + u * (c.col(2) + u * c.col(3)));
}

Eigen::Vector3d derivative(const Cubic& c, double u)
{
    return c.col(1) + u * (2.0 * c.col(2) + u * 3.0 * c.col(3));
}

Eigen::Vector3d secondDerivative(const Cubic& c, double u)
{
    return 2.0 * c.col(2) + 6.0 * u * c.col(3);
}

double gaussSpeedIntegral(const Cubic& c, double from, double to)
{
    const double half = 0.5 * (to - from);
    const double middle = 0.5 * (to + from);
    double sum = 0.0;
    for (std::size_t i = 0; i < kGaussNodes.size(); ++i) {
        sum += kGaussWeights[i] * (derivative(c, middle - half * kGaussNodes[i]).norm() +
                                   derivative(c, middle + half * kGaussNodes[i]).norm());
    }
    return half * sum;
}

// Halves the interval where the two halves disagree with the whole. A sharp turn slows the curve almost to
// a stop, and the speed then has a near-kink that one Gauss rule misses by up to 1e-7 of the length.
double refinedSpeedIntegral(const Cubic& c, double from, double to, double whole, double tolerance, int depth)
{
    const double middle = 0.5 * (from + to);
    const double left = gaussSpeedIntegral(c, from, middle);
    const double right = gaussSpeedIntegral(c, middle, to);
    if (depth == 0 || !(std::abs(left + right - whole) > tolerance))  // NaN stops here too
        return left + right;
    return refinedSpeedIntegral(c, from, middle, left, 0.5 * tolerance, depth - 1) +
           refinedSpeedIntegral(c, middle, to, right, 0.5 * tolerance, depth - 1);
}

// The arc length from `from` to `to`, to about 1e-13 of the segment's length.
double speedIntegral(const Cubic& c, double from, double to)
{
    const double scale = c.col(1).norm() + c.col(2).norm() + c.col(3).norm();
    return refinedSpeedIntegral(c, from, to, gaussSpeedIntegral(c, from, to), 1e-13 * scale * (to - from),
                                16);
}

// A sphere holding the curve on [from, to]: the curve lies in the convex hull of its Bézier control points.
Eigen::Vector4d boundingSphere(const Cubic& c, double from, double to)
{
    const double h = to - from;
    const Eigen::Vector3d b0 = position(c, from);
    const Eigen::Vector3d b3 = position(c, to);
    const Eigen::Vector3d b1 = b0 + h / 3.0 * derivative(c, from);
    const Eigen::Vector3d b2 = b3 - h / 3.0 * derivative(c, to);
    const Eigen::Vector3d centre = 0.25 * (b0 + b1 + b2 + b3);
    double radius =
        std::max({(b0 - centre).norm(), (b1 - centre).norm(), (b2 - centre).norm(), (b3 - centre).norm()});
    radius += 1e-12 * (radius + centre.cwiseAbs().maxCoeff());  // rounding must not prune the true nearest
    Eigen::Vector4d sphere;
    sphere << centre, radius;
    return sphere;
}

// Centripetal knot interval: the square root of the chord length.
double knotInterval(const Eigen::Vector3d& a, const Eigen::Vector3d& b)
{
    return std::sqrt((b - a).norm());
}

// The cubic from p1 to p2 with Catmull-Rom tangents over non-uniform knots, in Hermite form converted to
// powers of u (Yuksel, Schaefer & Keyser 2011). Consecutive points must differ.
Cubic catmullRomCubic(const Eigen::Vector3d& p0, const Eigen::Vector3d& p1, const Eigen::Vector3d& p2,
                      const Eigen::Vector3d& p3)
{
    const double d0 = knotInterval(p0, p1);
    const double d1 = knotInterval(p1, p2);
    const double d2 = knotInterval(p2, p3);
    const Eigen::Vector3d m1 = d1 * ((p1 - p0) / d0 - (p2 - p0) / (d0 + d1) + (p2 - p1) / d1);
    const Eigen::Vector3d m2 = d1 * ((p2 - p1) / d1 - (p3 - p1) / (d1 + d2) + (p3 - p2) / d2);
    Cubic c;
    c.col(0) = p1;
    c.col(1) = m1;
    c.col(2) = 3.0 * (p2 - p1) - 2.0 * m1 - m2;
    c.col(3) = 2.0 * (p1 - p2) + m1 + m2;
    return c;
}

Cubic constantCubic(const Eigen::Vector3d& point)
{
    Cubic c = Cubic::Zero();
    c.col(0) = point;
    return c;
}

// For each point, the index of the closest earlier point that differs from it (-1 when none), so repeated
// points do not break the knot sequence.
std::vector<int> previousDistinct(const std::vector<Eigen::Vector3d>& points)
{
    std::vector<int> result(points.size(), -1);
    for (std::size_t i = 1; i < points.size(); ++i)
        result[i] = points[i] != points[i - 1] ? static_cast<int>(i - 1) : result[i - 1];
    return result;
}

std::vector<int> nextDistinct(const std::vector<Eigen::Vector3d>& points)
{
    std::vector<int> result(points.size(), -1);
    for (std::size_t i = points.size(); i-- > 1;)
        result[i - 1] = points[i - 1] != points[i] ? static_cast<int>(i) : result[i];
    return result;
}

// The cubic of each segment. Without a distinct neighbour, the far end of the segment is mirrored, so the
// curve leaves an end point straight.
std::vector<Cubic> segmentCubics(const std::vector<Eigen::Vector3d>& points)
{
    const std::vector<int> previous = previousDistinct(points);
    const std::vector<int> next = nextDistinct(points);
    std::vector<Cubic> cubics;
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        const Eigen::Vector3d& p1 = points[i];
        const Eigen::Vector3d& p2 = points[i + 1];
        if (p1 == p2) {
            cubics.push_back(constantCubic(p1));
            continue;
        }
        const Eigen::Vector3d p0 = previous[i] >= 0 ? points[previous[i]] : Eigen::Vector3d(2 * p1 - p2);
        const Eigen::Vector3d p3 = next[i + 1] >= 0 ? points[next[i + 1]] : Eigen::Vector3d(2 * p2 - p1);
        cubics.push_back(catmullRomCubic(p0, p1, p2, p3));
    }
    return cubics;
}

void requireFinite(const std::vector<Eigen::Vector3d>& points)
{
    for (std::size_t i = 0; i < points.size(); ++i)
        if (!points[i].allFinite())
            throw std::invalid_argument(fmt::format("Spline control point {} is not finite: ({}, {}, {}).", i,
                                                    points[i].x(), points[i].y(), points[i].z()));
}

void requireNotNan(double value, const char* what)
{
    if (std::isnan(value))
        throw std::invalid_argument(fmt::format("Spline {} is NaN.", what));
}

// g(u) = (p(u) - x)·p'(u): half the derivative of the squared distance to x.
/// A root of an increasing function on [low, high], from `u`, by Newton's method with bisection wherever a
/// step would leave the bracket or the slope is not positive. `valueAndSlope(u)` gives both as a pair.
template <class ValueAndSlope>
double safeguardedNewton(ValueAndSlope valueAndSlope, double low, double high, double u)
{
    for (int iteration = 0; iteration < 100 && high - low > 1e-15; ++iteration) {
        const auto [value, slope] = valueAndSlope(u);
        if (value == 0.0)
            return u;
        (value < 0.0 ? low : high) = u;
        const double newton = u - value / slope;
        const double next = slope > 0.0 && newton > low && newton < high ? newton : 0.5 * (low + high);
        if (std::abs(next - u) <= 1e-16)
            return next;
        u = next;
    }
    return u;
}

double distanceSlope(const Cubic& c, const Eigen::Vector3d& x, double u)
{
    return (position(c, u) - x).dot(derivative(c, u));
}

// The u in [from, to] nearest to x, taking the squared distance to have at most one interior minimum there
// (an eighth of a centripetal segment is nearly straight). Safeguarded Newton on g inside a sign bracket.
double nearestOnPiece(const Cubic& c, const Eigen::Vector3d& x, double from, double to)
{
    const double gFrom = distanceSlope(c, x, from);
    const double gTo = distanceSlope(c, x, to);
    if (gFrom >= 0.0 || gTo <= 0.0) {
        if (gFrom >= 0.0 && gTo > 0.0)
            return from;
        if (gFrom < 0.0 && gTo <= 0.0)
            return to;
        return (position(c, from) - x).squaredNorm() <= (position(c, to) - x).squaredNorm() ? from : to;
    }
    const double secant = from - gFrom * (to - from) / (gTo - gFrom);
    return safeguardedNewton(
        [&](double at) {
            const Eigen::Vector3d offset = position(c, at) - x;
            const Eigen::Vector3d velocity = derivative(c, at);
            return std::pair(offset.dot(velocity),
                             velocity.squaredNorm() + offset.dot(secondDerivative(c, at)));
        },
        from, to, secant);
}

bool outsideSphere(const Eigen::Vector4d& sphere, const Eigen::Vector3d& x, double bestSquared)
{
    const double reach = std::sqrt(bestSquared) + sphere.w();
    return (sphere.head<3>() - x).squaredNorm() >= reach * reach;
}

}  // namespace

Spline::Spline(std::vector<Eigen::Vector3d> controlPoints)
{
    setControlPoints(std::move(controlPoints));
}

void Spline::setControlPoints(std::vector<Eigen::Vector3d> controlPoints)
{
    requireFinite(controlPoints);
    std::vector<Segment> segments;
    std::vector<Eigen::Vector4d> bounds;
    double length = 0.0;
    for (const Cubic& cubic : segmentCubics(controlPoints)) {
        segments.push_back(measuredSegment(cubic, length));
        length += segments.back().pieceStart[kPieces];
        bounds.push_back(boundingSphere(cubic, 0.0, 1.0));
    }
    if (!std::isfinite(length))
        throw std::invalid_argument(
            "Spline control points are too far apart for their curve length to be finite.");
    m_controlPoints = std::move(controlPoints);
    m_segments = std::move(segments);
    m_segmentBounds = std::move(bounds);
    m_length = length;
}

Spline::Segment Spline::measuredSegment(const Eigen::Matrix<double, 3, 4>& cubic, double start)
{
    Segment segment;
    segment.coefficients = cubic;
    segment.start = start;
    segment.pieceStart[0] = 0.0;
    for (int k = 0; k < kPieces; ++k) {
        const double from = static_cast<double>(k) / kPieces;
        const double to = static_cast<double>(k + 1) / kPieces;
        segment.pieceStart[k + 1] = segment.pieceStart[k] + speedIntegral(cubic, from, to);
        segment.pieceBounds[k] = boundingSphere(cubic, from, to);
    }
    return segment;
}

void Spline::requireControlPoints() const
{
    if (m_controlPoints.empty())
        throw std::invalid_argument("Spline has no control points to evaluate.");
}

Spline::Location Spline::locate(double t) const
{
    const int last = static_cast<int>(m_segments.size());
    const double clamped = std::clamp(t, 0.0, static_cast<double>(last));
    const int segment = std::min(static_cast<int>(clamped), last - 1);
    return {segment, clamped - segment};
}

Eigen::Vector3d Spline::evaluate(double t) const
{
    requireControlPoints();
    requireNotNan(t, "coordinate");
    if (m_segments.empty())
        return m_controlPoints.front();
    const Location at = locate(t);
    return position(m_segments[at.segment].coefficients, at.u);
}

Eigen::Vector3d Spline::evaluateTangent(double t) const
{
    requireControlPoints();
    requireNotNan(t, "coordinate");
    if (m_segments.empty())
        return Eigen::Vector3d::Zero();
    const Location at = locate(t);
    const Eigen::Vector3d velocity = derivative(m_segments[at.segment].coefficients, at.u);
    const double chord = (m_controlPoints[at.segment + 1] - m_controlPoints[at.segment]).norm();
    if (velocity.norm() > 1e-12 * chord)
        return velocity.normalized();
    return tangentOfNearestMovingSegment(at.segment);
}

Eigen::Vector3d Spline::tangentOfNearestMovingSegment(int segment) const
{
    const int count = static_cast<int>(m_segments.size());
    for (int distance = 0; distance < count; ++distance) {
        for (int candidate : {segment + distance, segment - distance}) {
            if (candidate < 0 || candidate >= count)
                continue;
            const Eigen::Vector3d chord = m_controlPoints[candidate + 1] - m_controlPoints[candidate];
            if (chord != Eigen::Vector3d::Zero())
                return chord.normalized();
        }
    }
    return Eigen::Vector3d::Zero();
}

double Spline::arcLengthAt(const Segment& segment, double u) const
{
    const int piece = std::min(static_cast<int>(u * kPieces), kPieces - 1);
    const double from = static_cast<double>(piece) / kPieces;
    return segment.start + segment.pieceStart[piece] + speedIntegral(segment.coefficients, from, u);
}

double Spline::splineCoordToArcLength(double t) const
{
    requireNotNan(t, "coordinate");
    if (m_segments.empty())
        return 0.0;
    const Location at = locate(t);
    return std::min(arcLengthAt(m_segments[at.segment], at.u), m_length);
}

double Spline::localParameterAtArcLength(const Segment& segment, double s) const
{
    const auto end = segment.pieceStart.end() - 1;
    const int piece = static_cast<int>(std::lower_bound(segment.pieceStart.begin() + 1, end, s) -
                                       (segment.pieceStart.begin() + 1));
    const double low = static_cast<double>(piece) / kPieces;
    const double high = static_cast<double>(piece + 1) / kPieces;
    const double pieceLength = segment.pieceStart[piece + 1] - segment.pieceStart[piece];
    if (pieceLength <= 0.0)
        return low;
    // Newton on the arc length, whose derivative is the speed; bisection where a step leaves the bracket.
    const double guess =
        low + (high - low) * std::clamp((s - segment.pieceStart[piece]) / pieceLength, 0.0, 1.0);
    return safeguardedNewton(
        [&](double at) {
            return std::pair(segment.pieceStart[piece] + speedIntegral(segment.coefficients, low, at) - s,
                             derivative(segment.coefficients, at).norm());
        },
        low, high, guess);
}

double Spline::arcLengthToSplineCoord(double s) const
{
    requireNotNan(s, "arc length");
    if (m_segments.empty())
        return 0.0;
    const double clamped = std::clamp(s, 0.0, m_length);
    // The first segment ending at or after s, so a repeated point maps to its first coordinate.
    const auto found = std::lower_bound(m_segments.begin(), m_segments.end() - 1, clamped,
                                        [](const Segment& segment, double value) {
                                            return segment.start + segment.pieceStart[kPieces] < value;
                                        });
    const double index = static_cast<double>(found - m_segments.begin());
    const double length = found->pieceStart[kPieces];
    if (length <= 0.0)
        return index;
    if (clamped >= found->start + length)
        return index + 1.0;
    return index + localParameterAtArcLength(*found, clamped - found->start);
}

void Spline::refineNearest(int segment, const Eigen::Vector3d& point, double& bestSquared,
                           Location& best) const
{
    const Segment& candidate = m_segments[segment];
    for (int k = 0; k < kPieces; ++k) {
        if (outsideSphere(candidate.pieceBounds[k], point, bestSquared))
            continue;
        const double u = nearestOnPiece(candidate.coefficients, point, static_cast<double>(k) / kPieces,
                                        static_cast<double>(k + 1) / kPieces);
        const double squared = (position(candidate.coefficients, u) - point).squaredNorm();
        if (squared < bestSquared) {
            bestSquared = squared;
            best = {segment, u};
        }
    }
}

double Spline::calculateNearestPointArcLength(const Eigen::Vector3d& point) const
{
    if (!point.allFinite())
        throw std::invalid_argument("Spline nearest point asked for a non-finite point.");
    if (m_segments.empty())
        return 0.0;
    // Refine the segment whose bounding sphere is nearest first, so the second pass prunes nearly all others.
    int first = 0;
    double firstGap = std::numeric_limits<double>::infinity();
    for (int i = 0; i < static_cast<int>(m_segmentBounds.size()); ++i) {
        const double gap = (m_segmentBounds[i].head<3>() - point).norm() - m_segmentBounds[i].w();
        if (gap < firstGap) {
            firstGap = gap;
            first = i;
        }
    }
    double bestSquared = std::numeric_limits<double>::infinity();
    Location best;
    refineNearest(first, point, bestSquared, best);
    for (int i = 0; i < static_cast<int>(m_segmentBounds.size()); ++i)
        if (i != first && !outsideSphere(m_segmentBounds[i], point, bestSquared))
            refineNearest(i, point, bestSquared, best);
    return std::min(arcLengthAt(m_segments[best.segment], best.u), m_length);
}

}  // namespace Tesselon
