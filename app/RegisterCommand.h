#pragma once

#include "app/Command.h"

#include <Eigen/Core>

#include <optional>
#include <string>
#include <vector>

namespace Tesselon {

struct PointList;

/// `tesselon register`: the rigid transform from tracked points to the same points found in a volume,
/// paired by index, with each pair's residual and the expected error at an optional target. Given the
/// volume's image file, it also applies the registration as the chosen registration type says and reports
/// the image's new pose or the relative tracker's new calibration. The tracked points come from a point
/// list or from a tracking recording, where they are the pointer's rests, paired in time order or, with
/// `--match`, by the assignment that registers best.
class RegisterCommand : public Command
{
public:
    RegisterCommand(CLI::App& program, HostContext& context);
    int run() override;

private:
    struct Result
    {
        Eigen::Matrix4d trackerToVolume;
        double error = 0.0;
        std::vector<double> residuals;
        std::optional<double> expectedTargetError;
        /// With an image: its pose after the registration (imageToWorld).
        std::optional<Eigen::Matrix4d> imagePose;
        /// With a relative tracker: its calibration after the registration.
        std::optional<Eigen::Matrix4d> relativeCalibration;
    };

    static void requireFinite(const Result& result);
    void checkSources() const;
    PointList readTracked(const PointList& volume) const;
    Result registerPoints(const PointList& tracked, const PointList& volume) const;
    void applyToImage(const PointList& tracked, const PointList& volume, Result& result) const;
    void printText(const Result& result, const PointList& tracked, const PointList& volume) const;
    void printJson(const Result& result, const PointList& tracked, const PointList& volume) const;
    int fail(const std::string& message) const;

    std::string m_tracked;
    std::string m_recording;
    std::string m_transform;
    std::vector<double> m_tip;
    bool m_match = false;
    std::string m_volume;
    std::vector<double> m_target;
    std::string m_image;
    int m_type = 0;
    std::string m_relativeTo;
};

}  // namespace Tesselon
