#include "host/stream/KalmanPosition.h"
#include "host/stream/KalmanQuaternion.h"

#include <gtest/gtest.h>

#include <Eigen/Geometry>
#include <chrono>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

using namespace Tesselon;
using namespace std::chrono_literals;

namespace {

constexpr KalmanTimeStep kDt = 1ms;  // 1 kHz tracking
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

Eigen::Vector4d rotationAboutZ(double angle)
{
    return {std::cos(angle / 2.0), 0.0, 0.0, std::sin(angle / 2.0)};
}

/// Rotation angle between two orientations, blind to the sign of either quaternion.
double angleBetween(const Eigen::Vector4d& a, const Eigen::Vector4d& b)
{
    return 2.0 * std::acos(std::min(1.0, std::abs(a.dot(b))));
}

template <class Filter>
Filter makeFilter(double measurementVariance, double processVariance)
{
    Filter filter;
    filter.setMeasurementSigma(measurementVariance);
    filter.setProcessVariance(processVariance);
    return filter;
}

/// What the shared robustness cases need to know about each filter.
struct PositionCase
{
    using Filter = KalmanPosition;
    using Vector = Eigen::Vector3d;
    // q: 1e3 mm^2/s^4 in the filters' milliseconds
    static Filter make() { return makeFilter<Filter>(0.25 * 0.25, 1e-9); }
    static Vector sample(int i) { return {10.0 + 0.02 * i, -5.0 - 0.01 * i, 100.0 + 0.005 * i}; }
    static std::vector<Vector> invalidMeasurements() { return {{kNaN, 0, 0}, {0, kInf, 0}, {0, 0, -kInf}}; }
    static Vector estimate(const Filter& filter) { return filter.position(); }
    static bool isValid(const Vector& v) { return v.allFinite(); }
};

struct QuaternionCase
{
    using Filter = KalmanQuaternion;
    using Vector = Eigen::Vector4d;
    static Filter make() { return makeFilter<Filter>(1e-6, 1e-12); }  // q: 1 per s^4
    static Vector sample(int i) { return rotationAboutZ(0.3 + 0.002 * i); }
    static std::vector<Vector> invalidMeasurements()
    {
        return {Vector::Zero(), {kNaN, 1, 0, 0}, {1, 0, kInf, 0}};
    }
    static Vector estimate(const Filter& filter) { return filter.orientation(); }
    static bool isValid(const Vector& v) { return v.allFinite() && std::abs(v.norm() - 1.0) < 1e-12; }
};

template <class Case>
class KalmanFilterRobustness : public testing::Test
{
protected:
    using Filter = typename Case::Filter;

    /// A filter that has tracked the moving sample for a while, so it has a velocity to corrupt.
    static Filter tracking()
    {
        Filter filter = Case::make();
        for (int i = 0; i < 200; ++i)
            filter.update(Case::sample(i), kDt);
        return filter;
    }

    /// Runs both filters on the same measurements; identical outputs mean identical internal state.
    static void expectSameFuture(Filter& filter, Filter& reference)
    {
        for (int i = 200; i < 300; ++i) {
            const auto out = filter.update(Case::sample(i), kDt);
            ASSERT_EQ(out, reference.update(Case::sample(i), kDt)) << "step " << i;
            ASSERT_TRUE(Case::isValid(out));
        }
    }
};

using FilterCases = testing::Types<PositionCase, QuaternionCase>;
TYPED_TEST_SUITE(KalmanFilterRobustness, FilterCases);

TYPED_TEST(KalmanFilterRobustness, BadDtSkipsOnlyThePrediction)
{
    for (const double milliseconds : {0.0, -10.0, kNaN, kInf, -kInf}) {
        const KalmanTimeStep dt(milliseconds);
        auto filter = this->tracking();
        auto reference = this->tracking();
        const auto before = TypeParam::estimate(filter);
        EXPECT_EQ(filter.update(dt), before) << "dt " << milliseconds;
        // With a measurement, a bad dt corrects exactly like a dt of zero.
        EXPECT_EQ(filter.update(TypeParam::sample(0), dt),
                  reference.update(TypeParam::sample(0), KalmanTimeStep::zero()));
        this->expectSameFuture(filter, reference);
    }
}

TYPED_TEST(KalmanFilterRobustness, InvalidMeasurementIsPredictionOnly)
{
    for (const auto& measurement : TypeParam::invalidMeasurements()) {
        auto filter = this->tracking();
        auto reference = this->tracking();
        EXPECT_EQ(filter.update(measurement, kDt), reference.update(kDt));
        this->expectSameFuture(filter, reference);
    }
}

TYPED_TEST(KalmanFilterRobustness, InvalidVariancesKeepThePreviousValue)
{
    auto filter = this->tracking();
    auto reference = this->tracking();
    for (const double variance : {-1.0, kNaN, kInf, -kInf}) {
        filter.setMeasurementSigma(variance);
        filter.setProcessVariance(variance);
    }
    this->expectSameFuture(filter, reference);
}

TYPED_TEST(KalmanFilterRobustness, FirstMeasurementInitialises)
{
    auto filter = TypeParam::make();
    EXPECT_TRUE(TypeParam::isValid(filter.update(kDt)));
    EXPECT_TRUE(TypeParam::isValid(filter.update(TypeParam::invalidMeasurements().front(), kDt)));
    EXPECT_LT((filter.update(TypeParam::sample(7), kDt) - TypeParam::sample(7)).norm(), 1e-12);
}

TYPED_TEST(KalmanFilterRobustness, ExtremeInputsStayValid)
{
    auto filter = this->tracking();
    filter.setProcessVariance(std::numeric_limits<double>::max());
    const double huge = std::numeric_limits<double>::max();
    for (const KalmanTimeStep dt :
         {KalmanTimeStep(1e300), KalmanTimeStep(huge), KalmanTimeStep(1e-300), kDt}) {
        EXPECT_TRUE(TypeParam::isValid(filter.update(dt)));
        // Finite but so far apart that the innovation overflows.
        EXPECT_TRUE(TypeParam::isValid(filter.update(TypeParam::sample(1).normalized() * huge, dt)));
        EXPECT_TRUE(TypeParam::isValid(filter.update(TypeParam::sample(2).normalized() * -huge, dt)));
        EXPECT_TRUE(TypeParam::isValid(filter.update(TypeParam::sample(3) * 1e-310, dt)));
    }
    filter.setMeasurementSigma(0.0);
    filter.init(TypeParam::sample(0), 0.0);  // nothing left to blend: zero state and measurement variance
    EXPECT_TRUE(TypeParam::isValid(filter.update(TypeParam::sample(1), KalmanTimeStep::zero())));
    EXPECT_TRUE(TypeParam::isValid(filter.update(TypeParam::sample(1), kDt)));
}

TEST(KalmanPosition, StillNoisyTargetSettlesWellBelowRawNoise)
{
    std::mt19937 rng(42);
    std::normal_distribution<double> noise(0.0, 0.25);
    const Eigen::Vector3d target(12.0, -40.0, 250.0);
    KalmanPosition filter = PositionCase::make();
    double rawSquares = 0.0, filteredSquares = 0.0;
    const int settle = 500, samples = 3000;
    for (int i = 0; i < settle + samples; ++i) {
        const Eigen::Vector3d measured = target + Eigen::Vector3d(noise(rng), noise(rng), noise(rng));
        const Eigen::Vector3d filtered = filter.update(measured, kDt);
        if (i >= settle) {
            rawSquares += (measured - target).squaredNorm();
            filteredSquares += (filtered - target).squaredNorm();
        }
    }
    EXPECT_LT(std::sqrt(filteredSquares / samples), 0.5 * std::sqrt(rawSquares / samples));
}

// The steady-state gains of this model have a closed form in Kalata's tracking index
// lambda = sqrt(q) T^2 / sqrt(R); they pin down the process noise and the update equations.
TEST(KalmanPosition, SteadyStateGainsMatchTheAlphaBetaClosedForm)
{
    const KalmanTimeStep T = 10ms;
    const double q = 1e-9, R = 0.0625;
    KalmanPosition filter = makeFilter<KalmanPosition>(R, q);
    filter.init(Eigen::Vector3d::Zero(), 1.0);
    for (int i = 0; i < 5000; ++i) {
        filter.update(Eigen::Vector3d::Zero(), T);  // the state stays at zero while the gains settle
    }
    const double lambda = std::sqrt(q) * T.count() * T.count() / std::sqrt(R);
    const double root = std::sqrt(lambda * lambda + 8.0 * lambda);
    const double alpha = -(lambda * lambda + 8.0 * lambda - (lambda + 4.0) * root) / 8.0;
    const double beta = (lambda * lambda + 4.0 * lambda - lambda * root) / 4.0;
    const Eigen::Vector3d step(1.0, -2.0, 3.0);
    EXPECT_LT((filter.update(step, T) - alpha * step).norm(), 1e-9);
    EXPECT_LT((filter.update(T) - (alpha + beta) * step).norm(), 1e-9);
}

TEST(KalmanPosition, ConstantVelocityLagVanishesAndPredictionContinuesTheMotion)
{
    const Eigen::Vector3d start(0.0, 10.0, -20.0);
    const Eigen::Vector3d velocity(0.08, -0.03, 0.015);  // mm/ms
    const auto truth = [&](int i) -> Eigen::Vector3d { return start + velocity * (i * kDt).count(); };
    KalmanPosition filter = PositionCase::make();
    filter.init(start, 1e-6);  // rate variance 1 (mm/s)^2, so it starts behind the motion
    double earlyLag = 0.0;
    for (int i = 1; i <= 5000; ++i) {
        const double lag = (filter.update(truth(i), kDt) - truth(i)).norm();
        if (i == 50)
            earlyLag = lag;
    }
    EXPECT_GT(earlyLag, 0.01);
    EXPECT_LT((filter.position() - truth(5000)).norm(), 1e-3 * earlyLag);
    for (int i = 5001; i <= 5500; ++i)
        EXPECT_LT((filter.update(kDt) - truth(i)).norm(), 1e-3) << "hidden step " << i;
}

TEST(KalmanQuaternion, SignFlippedMeasurementsStayOnTheOrientation)
{
    std::mt19937 rng(7);
    std::normal_distribution<double> noise(0.0, 1e-3);
    const Eigen::Vector4d truth = Eigen::Vector4d(0.4, -0.2, 0.7, 0.5).normalized();
    KalmanQuaternion filter = QuaternionCase::make();
    filter.init(truth, 1e-6);
    for (int i = 0; i < 2000; ++i) {
        const Eigen::Vector4d noisy = truth + Eigen::Vector4d(noise(rng), noise(rng), noise(rng), noise(rng));
        const Eigen::Vector4d estimate = filter.update(i % 2 == 0 ? noisy : Eigen::Vector4d(-noisy), kDt);
        ASSERT_NEAR(estimate.norm(), 1.0, 1e-12);
        ASSERT_LT(angleBetween(estimate, truth), 5e-3) << "step " << i;
    }
}

// At coarse rates the hidden rotation only keeps its speed if the rate is carried along the sphere.
TEST(KalmanQuaternion, RotationIsTrackedAndContinuedWhileHidden)
{
    const double rate = 1.5e-3;  // rad/ms about z
    for (const KalmanTimeStep dt : {kDt, KalmanTimeStep(100ms)}) {
        KalmanQuaternion filter = QuaternionCase::make();
        int i = 0;
        for (; i < 4000; ++i)
            filter.update(rotationAboutZ(rate * (i * dt).count()), dt);
        EXPECT_LT(angleBetween(filter.orientation(), rotationAboutZ(rate * ((i - 1) * dt).count())), 1e-4);
        for (const int end = i + static_cast<int>(2s / dt); i < end; ++i) {
            const Eigen::Vector4d estimate = filter.update(dt);
            ASSERT_NEAR(estimate.norm(), 1.0, 1e-12);
            ASSERT_LT(angleBetween(estimate, rotationAboutZ(rate * (i * dt).count())), 0.02)
                << "dt " << dt.count() << " ms, step " << i;
        }
    }
}

}  // namespace
