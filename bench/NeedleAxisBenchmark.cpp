// Accuracy of the needle direction calibration against the rotation range of the recording: the tool
// turns about a known axis, every pose carries 0.1 degree orientation noise, and the angle between the
// found and the true axis is reported (mean and 95th percentile over many trials).
#include "host/core/base/Log.h"
#include "host/stream/TrackingSequence.h"
#include "navigation/calibration/ToolCalibrationAlgorithm.h"

#include <fmt/core.h>
#include <Eigen/Geometry>

#include <algorithm>
#include <numbers>
#include <optional>
#include <random>

using namespace Tesselon;

namespace {

constexpr double degree = std::numbers::pi / 180.0;
constexpr int trials = 500;
constexpr double orientationNoiseDegrees = 0.1;

Eigen::Matrix3d noisyRotation(std::mt19937_64& random)
{
    std::normal_distribution<double> component(0.0, 1.0);
    const Eigen::Vector3d axis =
        Eigen::Vector3d(component(random), component(random), component(random)).normalized();
    std::normal_distribution<double> angle(0.0, orientationNoiseDegrees * degree);
    return Eigen::AngleAxisd(angle(random), axis).toRotationMatrix();
}

/// The axis error of one trial, or nothing when the calibration refused the recording.
std::optional<double> axisErrorDegrees(double rangeDegrees, std::mt19937_64& random)
{
    std::normal_distribution<double> component(0.0, 1.0);
    const Eigen::Vector3d axis =
        Eigen::Vector3d(component(random), component(random), component(random)).normalized();
    TrackingSequence sequence(TrackerID("Needle"));
    for (double turned : {0.0, rangeDegrees}) {
        Eigen::Matrix4d pose = Eigen::Matrix4d::Identity();
        pose.topLeftCorner<3, 3>() =
            Eigen::AngleAxisd(turned * degree, axis).toRotationMatrix() * noisyRotation(random);
        sequence.add({pose, 1.0, 0.0, {}});
    }
    ToolCalibrationAlgorithm algorithm(nullptr, &sequence);
    const Eigen::Matrix4d calibration = algorithm.performNeedleDirectionCalibration(sequence);
    if (!algorithm.problem().empty())
        return std::nullopt;
    const double cosine = std::min(1.0, std::abs(calibration.block<3, 1>(0, 2).dot(axis)));
    return std::acos(cosine) / degree;
}

}  // namespace

int main()
{
    Log::setMinimumLevel(Log::Error + 1);
    std::mt19937_64 random(11);
    fmt::print("Needle axis error with {} degree RMS orientation noise per pose, {} trials per row\n",
               orientationNoiseDegrees, trials);
    fmt::print("{:>16} {:>10} {:>18} {:>18}\n", "rotation [deg]", "refused", "mean error [deg]",
               "p95 error [deg]");
    for (double range : {5.0, 12.0, 20.0, 30.0, 45.0, 90.0, 150.0}) {
        std::vector<double> errors;
        for (int trial = 0; trial < trials; ++trial)
            if (const auto error = axisErrorDegrees(range, random))
                errors.push_back(*error);
        const std::size_t refused = trials - errors.size();
        if (errors.empty()) {
            fmt::print("{:>16.0f} {:>10} {:>18} {:>18}\n", range, refused, "-", "-");
            continue;
        }
        std::sort(errors.begin(), errors.end());
        double mean = 0.0;
        for (double error : errors)
            mean += error / static_cast<double>(errors.size());
        fmt::print("{:>16.0f} {:>10} {:>18.3f} {:>18.3f}\n", range, refused, mean,
                   errors[static_cast<std::size_t>(0.95 * static_cast<double>(errors.size()))]);
    }
}
