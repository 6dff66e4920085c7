#pragma once

#include "app/Command.h"

#include <memory>
#include <string>

namespace Tesselon {

class ToolCalibrationAlgorithm;
class TrackingSequence;

/// `tesselon calibrate`: a tool calibration from recorded files: the tip from a pivoting recording, and
/// the needle axis from an optional spinning recording.
class CalibrateCommand : public Command
{
public:
    CalibrateCommand(CLI::App& program, HostContext& context);
    int run() override;

private:
    std::unique_ptr<TrackingSequence> readSequence(const std::string& path) const;
    void printText(const ToolCalibrationAlgorithm& algorithm, std::size_t samples) const;
    void printJson(const ToolCalibrationAlgorithm& algorithm, std::size_t samples) const;
    void writeOutput(const ToolCalibrationAlgorithm& algorithm) const;

    std::string m_pivot;
    std::string m_spin;
    std::string m_transform;
    std::string m_relativeTo;
    std::string m_frames;
    bool m_flip = false;
    std::string m_output;
};

}  // namespace Tesselon
