#include "app/CalibrateCommand.h"

#include "app/JsonOutput.h"
#include "host/core/config/Properties.h"
#include "host/core/io/PropertiesFile.h"
#include "host/core/io/TrackingRecordingFile.h"
#include "host/stream/TrackingSequence.h"
#include "navigation/calibration/ToolCalibrationAlgorithm.h"

#include <fmt/core.h>
#include <fmt/ranges.h>

#include <limits>
#include <sstream>
#include <stdexcept>

namespace Tesselon {
namespace {

struct FrameRange
{
    std::size_t first = 0;
    std::size_t last = std::numeric_limits<std::size_t>::max();
};

FrameRange parseFrames(const std::string& text)
{
    if (text.empty())
        return {};
    const auto colon = text.find(':');
    try {
        if (colon == std::string::npos)
            throw std::invalid_argument("no colon");
        std::size_t used = 0;
        const FrameRange range{std::stoul(text.substr(0, colon), &used), std::stoul(text.substr(colon + 1))};
        if (used != colon || range.first > range.last)
            throw std::invalid_argument("bad order");
        return range;
    } catch (const std::exception&) {
        throw std::invalid_argument("--frames takes FIRST:LAST with FIRST <= LAST, not \"" + text + "\".");
    }
}

QJsonValue vectorOrNull(const std::optional<Eigen::Vector3d>& vector)
{
    if (!vector)
        return QJsonValue::Null;
    return QJsonArray{vector->x(), vector->y(), vector->z()};
}

std::string rowText(const Eigen::Vector3d& vector)
{
    return fmt::format("{:.3f} {:.3f} {:.3f}", vector.x(), vector.y(), vector.z());
}

}  // namespace

CalibrateCommand::CalibrateCommand(CLI::App& program, HostContext& context)
    : Command(program, context, "calibrate", "Calibrate a tracked tool from recorded pivoting and spinning")
{
    options()
        .add_option("--pivot", m_pivot,
                    "Recording of the tool pivoting about its tip (.mha, .mhd, .txt, .csv)")
        ->required()
        ->check(CLI::ExistingFile);
    options()
        .add_option("--spin", m_spin, "Recording of the tool turning about its needle axis")
        ->check(CLI::ExistingFile);
    options().add_option("--transform", m_transform,
                         "The tool's transform in a file holding several, e.g. StylusToTracker");
    options().add_option("--relative-to", m_relativeTo,
                         "Express the tool in this transform's frame, e.g. ReferenceToTracker");
    options().add_option("--frames", m_frames, "Use only frames FIRST:LAST (inclusive, from 0)");
    options().add_flag("--flip", m_flip,
                       "Turn the result by half a turn about x (reverses the needle direction)");
    options().add_option("--output", m_output, "Write the calibration to this file (XML)");
    addJsonFlag();
}

std::unique_ptr<TrackingSequence> CalibrateCommand::readSequence(const std::string& path) const
{
    const TrackingRecording recording = TrackingRecordingFile::read(path);
    std::string transform = m_transform;
    if (transform.empty()) {
        const auto names = recording.transformNames();
        if (names.empty())
            throw std::invalid_argument(
                fmt::format("{} holds no poses; expected a recording of the tool pivoting.", path));
        if (names.size() != 1)
            throw std::invalid_argument(fmt::format(
                "{} holds the transforms {}; choose one with --transform.", path, fmt::join(names, ", ")));
        transform = names.front();
    }
    const FrameRange frames = parseFrames(m_frames);
    return TrackingSequence::fromRecording(recording, transform, m_relativeTo, frames.first, frames.last);
}

int CalibrateCommand::run()
{
    try {
        const auto pivoting = readSequence(m_pivot);
        const auto spinning = m_spin.empty() ? nullptr : readSequence(m_spin);
        ToolCalibrationAlgorithm algorithm(pivoting.get(), spinning.get());
        algorithm.setFlip(m_flip);
        algorithm.compute();
        if (algorithm.status() != Algorithm::Success) {
            // The algorithm has logged its refusal to standard error already; JSON readers get it here.
            if (json())
                JsonOutput::print(
                    {{"status", "error"}, {"message", QString::fromStdString(algorithm.problem())}});
            return 1;
        }
        if (!m_output.empty())
            writeOutput(algorithm);
        if (json())
            printJson(algorithm, pivoting->size());
        else
            printText(algorithm, pivoting->size());
        return 0;
    } catch (const std::exception& error) {
        fmt::print(stderr, "tesselon calibrate: {}\n", error.what());
        return 1;
    }
}

void CalibrateCommand::printText(const ToolCalibrationAlgorithm& algorithm, std::size_t samples) const
{
    std::ostringstream matrix;
    matrix << algorithm.calibration();
    fmt::print("Calibration (tipToMarker):\n{}\n\n", matrix.str());
    if (const auto& fit = algorithm.lastPivotFit()) {
        fmt::print("Tip in the marker frame:  {} mm\n", rowText(fit->tipInMarker));
        fmt::print("Pivot point:              {} mm\n", rowText(fit->pivotInTracker));
        fmt::print("Residuals:                min {:.3f}, mean {:.3f}, max {:.3f}, RMS {:.3f} mm\n",
                   fit->minResidual, fit->meanResidual, fit->maxResidual, fit->rmsResidual);
        fmt::print("Samples:                  {} used of {} (rotation range {:.1f} degrees)\n",
                   fit->samplesUsed, samples, fit->rotationRangeDegrees);
    }
    if (const auto direction = algorithm.toolDirection())
        fmt::print("Tool direction:           {}\n", rowText(*direction));
    if (!m_output.empty())
        fmt::print("Written to {}\n", m_output);
}

void CalibrateCommand::printJson(const ToolCalibrationAlgorithm& algorithm, std::size_t samples) const
{
    const auto& fit = algorithm.lastPivotFit();
    QJsonObject residuals;
    if (fit)
        residuals = {{"min", fit->minResidual},
                     {"mean", fit->meanResidual},
                     {"max", fit->maxResidual},
                     {"rms", fit->rmsResidual}};
    JsonOutput::print({{"status", "ok"},
                       {"calibration", JsonOutput::rowMajor(algorithm.calibration())},
                       {"pivotPosition", vectorOrNull(algorithm.pivotPosition())},
                       {"toolDirection", vectorOrNull(algorithm.toolDirection())},
                       {"residuals", residuals},
                       {"samples", static_cast<int>(samples)},
                       {"samplesUsed", fit ? static_cast<int>(fit->samplesUsed) : 0}});
}

void CalibrateCommand::writeOutput(const ToolCalibrationAlgorithm& algorithm) const
{
    Properties calibration("ToolCalibration");
    calibration.setParam("calibration", algorithm.calibration());
    if (const auto pivot = algorithm.pivotPosition())
        calibration.setParam("pivotPosition", *pivot);
    if (const auto direction = algorithm.toolDirection())
        calibration.setParam("toolDirection", *direction);
    if (const auto& fit = algorithm.lastPivotFit()) {
        calibration.setParam("rmsResidual", fit->rmsResidual);
        calibration.setParam("samplesUsed", static_cast<int>(fit->samplesUsed));
    }
    PropertiesFile::write(calibration, m_output);
}

}  // namespace Tesselon
