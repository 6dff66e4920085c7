#include "host/core/geometry/Spline.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace Tesselon {
namespace {

using Points = std::vector<Eigen::Vector3d>;

Points helix(int count)
{
    Points points;
    for (int i = 0; i < count; ++i)
        points.emplace_back(20.0 * std::cos(0.6 * i), 20.0 * std::sin(0.6 * i), 2.0 * i);
    return points;
}

struct Shape
{
    std::string name;
    Points points;
};

void PrintTo(const Shape& shape, std::ostream* out)
{
    *out << shape.name;
}

std::vector<Shape> shapes()
{
    std::mt19937 random(5);
    std::uniform_real_distribution<double> step(-10.0, 10.0);
    Points walk{Eigen::Vector3d::Zero()};
    for (int i = 0; i < 30; ++i)
        walk.push_back(walk.back() + Eigen::Vector3d(step(random), step(random), step(random)));
    const Eigen::Vector3d first = walk.front(), middle = walk[12], last = walk.back();
    walk.insert(walk.begin() + 12, middle);  // repeated points inside and at both ends
    walk.insert(walk.begin(), first);
    walk.push_back(last);
    return {{"Helix", helix(12)},
            {"Straight", {{1, 2, 3}, {11, -2, 8}}},
            {"RandomWalkWithRepeats", walk},
            {"Zigzag", {{0, 0, 0}, {10, 0, 0}, {0, 1, 0}, {10, 2, 0}, {0, 3, 0}}},
            {"HairpinAfterLongRun", {{0, 0, 0}, {100, 0, 0}, {100.5, 0.5, 0}, {0, 1, 0}}}};
}

// The distance to the curve by dense sampling, which the exact search must never exceed.
double sampledDistance(const Spline& spline, const Eigen::Vector3d& point)
{
    const double last = static_cast<double>(spline.controlPoints().size() - 1);
    double best = std::numeric_limits<double>::infinity();
    for (double t = 0.0; t <= last; t += 1.0 / 2000.0)
        best = std::min(best, (spline.evaluate(t) - point).norm());
    return std::min(best, (spline.evaluate(last) - point).norm());
}

class SplineShapes : public testing::TestWithParam<Shape>
{
protected:
    Spline spline{GetParam().points};
};

TEST_P(SplineShapes, LengthMatchesADensePolylineAndTangentsFollowTheCurve)
{
    const double last = static_cast<double>(spline.controlPoints().size() - 1);
    std::vector<double> polylines;
    for (int steps : {50000, 100000}) {
        double polyline = 0.0;
        for (int i = 0; i < steps; ++i) {
            const double from = last * i / steps, to = last * (i + 1) / steps;
            const Eigen::Vector3d step = spline.evaluate(to) - spline.evaluate(from);
            polyline += step.norm();
            // Within a segment, the midpoint tangent is parallel to the chord up to the step squared.
            const Eigen::Vector3d tangent = spline.evaluateTangent(0.5 * (from + to));
            if (i % 97 == 0 && step.norm() > 0.0 && std::floor(from) == std::floor(to)) {
                EXPECT_NEAR(tangent.norm(), 1.0, 1e-12);
                EXPECT_GT(tangent.dot(step.normalized()), 1.0 - 1e-9) << from;
            }
        }
        polylines.push_back(polyline);
    }
    // A polyline falls short by a term in the square of its step, which Richardson extrapolation removes.
    const double extrapolated = polylines[1] + (polylines[1] - polylines[0]) / 3.0;
    EXPECT_NEAR(spline.getCurveLength(), extrapolated, 1e-10 * extrapolated);
}

// The curve passes through its points, arc length to coordinate and back is exact, and a point on the
// curve is its own nearest point.
TEST_P(SplineShapes, ControlPointsArcLengthAndNearestPointRoundTrip)
{
    for (std::size_t i = 0; i < spline.controlPoints().size(); ++i)
        EXPECT_LT((spline.evaluate(static_cast<double>(i)) - spline.controlPoints()[i]).norm(), 1e-12) << i;
    const double length = spline.getCurveLength();
    for (int i = 0; i <= 200; ++i) {
        const double s = length * i / 200.0, t = spline.arcLengthToSplineCoord(s);
        EXPECT_NEAR(spline.splineCoordToArcLength(t), s, 1e-9 * length) << s;
        EXPECT_NEAR(spline.calculateNearestPointArcLength(spline.evaluate(t)), s, 1e-6 * length) << s;
    }
}

TEST_P(SplineShapes, NearestPointIsNeverFartherThanADenseSample)
{
    std::mt19937 random(9);
    std::uniform_real_distribution<double> coordinate(-60.0, 60.0);
    for (int i = 0; i < 25; ++i) {
        const Eigen::Vector3d point(coordinate(random), coordinate(random), coordinate(random) + 20.0);
        const double s = spline.calculateNearestPointArcLength(point);
        const double found = (spline.evaluate(spline.arcLengthToSplineCoord(s)) - point).norm();
        EXPECT_LE(found, sampledDistance(spline, point) + 1e-9) << point.transpose();
    }
}

INSTANTIATE_TEST_SUITE_P(Spline, SplineShapes, testing::ValuesIn(shapes()),
                         [](const auto& info) { return info.param.name; });

TEST(Spline, StraightSegmentsAtConstantSpeedNoOvershootClampedArgumentsNonFiniteInputRejected)
{
    const Spline spline({{0, 0, 0}, {3, 4, 0}});
    EXPECT_DOUBLE_EQ(spline.getCurveLength(), 5.0);
    for (double t : {0.0, 0.25, 0.5, 1.0})
        EXPECT_LT((spline.evaluate(t) - Eigen::Vector3d(3 * t, 4 * t, 0)).norm(), 1e-12);

    const Spline curve(helix(5));
    EXPECT_EQ(curve.evaluate(-3.0), curve.controlPoints().front());
    EXPECT_EQ(curve.evaluate(std::numeric_limits<double>::infinity()), curve.controlPoints().back());
    EXPECT_EQ(curve.arcLengthToSplineCoord(-1.0), 0.0);
    EXPECT_EQ(curve.arcLengthToSplineCoord(1e9), 4.0);
    EXPECT_EQ(curve.splineCoordToArcLength(9.0), curve.getCurveLength());

    const Spline collinear({{0, 0, 0}, {10, 0, 0}, {10.5, 0, 0}, {30, 0, 0}});
    double previous = 0.0;
    for (double t = 0.0; t <= 3.0; t += 0.001) {
        const double x = collinear.evaluate(t).x();
        EXPECT_GE(x, previous - 1e-12) << t;
        previous = x;
    }

    Spline kept(helix(4));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Points infinite{{0, 0, 0}, {1, 1, 1}, {0, std::numeric_limits<double>::infinity(), 0}};
    EXPECT_THAT([&] { kept.setControlPoints(infinite); },
                testing::ThrowsMessage<std::invalid_argument>(testing::HasSubstr("control point 2 ")));
    EXPECT_THROW(kept.setControlPoints({{0, 0, 0}, {1e300, -1e300, 1e300}}), std::invalid_argument);
    EXPECT_EQ(kept.controlPoints(), helix(4));
    EXPECT_THROW(kept.evaluate(nan), std::invalid_argument);
    EXPECT_THROW(kept.arcLengthToSplineCoord(nan), std::invalid_argument);
    EXPECT_THROW(kept.calculateNearestPointArcLength({nan, 0, 0}), std::invalid_argument);
}

// Uniform Catmull-Rom swings back behind the middle point here; the centripetal curve stays between its ends.

// No points, one point, or one point repeated: zero length and nearest arc length, a zero tangent, and
// evaluation refused only where there is no point at all.
TEST(Spline, StandingStillHasDefinedResultsAndARepeatOrReversalTakesTheNearestMovingTangent)
{
    for (const Points& points : {Points{}, Points{{1, 2, 3}}, Points{{1, 2, 3}, {1, 2, 3}, {1, 2, 3}}}) {
        const Spline spline(points);
        EXPECT_EQ(spline.getCurveLength(), 0.0);
        EXPECT_EQ(spline.calculateNearestPointArcLength({9, 9, 9}), 0.0);
        EXPECT_EQ(spline.arcLengthToSplineCoord(1.0), 0.0);
        if (points.empty()) {
            EXPECT_THROW(spline.evaluate(0.0), std::invalid_argument);
            EXPECT_THROW(spline.evaluateTangent(0.0), std::invalid_argument);
        } else {
            EXPECT_EQ(spline.evaluate(0.7), Eigen::Vector3d(1, 2, 3));
            EXPECT_EQ(spline.evaluateTangent(0.7), Eigen::Vector3d::Zero());
        }
    }

    const Spline repeated({{0, 0, 0}, {0, 0, 0}, {0, 5, 0}});
    EXPECT_LT((repeated.evaluateTangent(0.5) - Eigen::Vector3d::UnitY()).norm(), 1e-12);
    EXPECT_EQ(repeated.arcLengthToSplineCoord(0.0), 0.0);
    const Spline reversal({{0, 0, 0}, {10, 0, 0}, {0, 0, 0}});
    EXPECT_LT((reversal.evaluateTangent(1.0) + Eigen::Vector3d::UnitX()).norm(), 1e-12);
    EXPECT_NEAR(reversal.getCurveLength(), 20.0, 1e-9);
}

}  // namespace
}  // namespace Tesselon
