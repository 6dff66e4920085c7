#pragma once

#include "app/Command.h"

#include <Eigen/Core>

#include <optional>
#include <string>
#include <vector>

namespace Tesselon {

struct PointList;

/// `tesselon register`: the rigid transform from tracked points to the same points found in a volume,
/// paired by index, with each pair's residual and the expected error at an optional target.
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
    };

    Result registerPoints(const PointList& tracked, const PointList& volume) const;
    void printText(const Result& result, const PointList& tracked, const PointList& volume) const;
    void printJson(const Result& result) const;
    int fail(const std::string& message) const;

    std::string m_tracked;
    std::string m_volume;
    std::vector<double> m_target;
};

}  // namespace Tesselon
