#include "app/RegisterCommand.h"

#include "app/JsonOutput.h"
#include "host/core/PointCorrespondences.h"
#include "host/core/PointsOnImage.h"
#include "host/core/io/PointListFile.h"

#include <fmt/core.h>

#include <sstream>
#include <stdexcept>

namespace Tesselon {
namespace {

std::vector<Eigen::Vector3d> positions(const PointList& list)
{
    std::vector<Eigen::Vector3d> points;
    points.reserve(list.points.size());
    for (const auto& point : list.points)
        points.push_back(point.position);
    return points;
}

/// Pairing is by index, so a missing or extra point would silently shift every later pair.
void requireEqualLengths(const PointList& tracked, const PointList& volume)
{
    if (tracked.points.size() == volume.points.size())
        return;
    throw std::invalid_argument(fmt::format(
        "The tracked list {} has {} points but the volume list {} has {}; they pair by index, so they must "
        "be equal.",
        tracked.sourceName, tracked.points.size(), volume.sourceName, volume.points.size()));
}

/// Row by row, as people read matrices.
QJsonArray rowMajor(const Eigen::Matrix4d& matrix)
{
    QJsonArray numbers;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            numbers.append(matrix(row, column));
    return numbers;
}

std::string labelOf(const PointList& list, std::size_t i)
{
    const std::string& label = list.points[i].label;
    return label.empty() ? fmt::format("#{}", i + 1) : label;
}

}  // namespace

RegisterCommand::RegisterCommand(CLI::App& program, HostContext& context)
    : Command(program, context, "register", "Register tracked points to the same points in a volume")
{
    options()
        .add_option("--tracked", m_tracked, "Points touched with the tracked tool (.csv or .mrk.json)")
        ->required()
        ->check(CLI::ExistingFile);
    options()
        .add_option("--volume", m_volume, "The same points, in the same order, in volume coordinates")
        ->required()
        ->check(CLI::ExistingFile);
    options()
        .add_option("--target", m_target, "Predict the registration error at X,Y,Z (volume coordinates, mm)")
        ->delimiter(',')
        ->expected(3);
    addJsonFlag();
}

int RegisterCommand::run()
{
    try {
        const PointList tracked = PointListFile::read(m_tracked);
        const PointList volume = PointListFile::read(m_volume);
        const Result result = registerPoints(tracked, volume);
        if (json())
            printJson(result);
        else
            printText(result, tracked, volume);
        return 0;
    } catch (const std::exception& error) {
        return fail(error.what());
    }
}

RegisterCommand::Result RegisterCommand::registerPoints(const PointList& tracked,
                                                        const PointList& volume) const
{
    requireEqualLengths(tracked, volume);
    PointsOnImage trackedSet;
    PointsOnImage volumeSet;
    trackedSet.addPoints(positions(tracked));
    volumeSet.addPoints(positions(volume));
    const PointCorrespondences pairs(trackedSet, volumeSet);

    Result result;
    result.trackerToVolume = pairs.fitRigid(&result.error);
    result.residuals = pairs.residuals(result.trackerToVolume);
    if (m_target.size() == 3) {
        const double localisation =
            PointCorrespondences::localisationErrorFromFit(result.error, pairs.size());
        const Eigen::Vector3d target(m_target[0], m_target[1], m_target[2]);
        result.expectedTargetError = pairs.expectedTargetError(target, localisation);
    }
    return result;
}

void RegisterCommand::printText(const Result& result, const PointList& tracked, const PointList& volume) const
{
    std::ostringstream matrix;
    matrix << result.trackerToVolume;
    fmt::print("Registration (trackerToVolume):\n{}\n\n", matrix.str());
    fmt::print("RMS error: {:.3f} mm over {} pairs\n", result.error, result.residuals.size());
    fmt::print("Residuals:\n");
    for (std::size_t i = 0; i < result.residuals.size(); ++i)
        fmt::print("  {} -> {}: {:.3f} mm\n", labelOf(tracked, i), labelOf(volume, i), result.residuals[i]);
    if (result.expectedTargetError)
        fmt::print("Expected target error at ({}, {}, {}): {:.3f} mm\n", m_target[0], m_target[1],
                   m_target[2], *result.expectedTargetError);
}

void RegisterCommand::printJson(const Result& result) const
{
    QJsonArray residuals;
    for (const double residual : result.residuals)
        residuals.append(residual);
    QJsonObject object{{"status", "ok"},
                       {"transform", rowMajor(result.trackerToVolume)},
                       {"error", result.error},
                       {"residuals", residuals}};
    if (result.expectedTargetError)
        object.insert("expectedTargetError", *result.expectedTargetError);
    JsonOutput::print(object);
}

int RegisterCommand::fail(const std::string& message) const
{
    if (json())
        JsonOutput::print({{"status", "error"}, {"message", QString::fromStdString(message)}});
    else
        fmt::print(stderr, "tesselon register: {}\n", message);
    return 1;
}

}  // namespace Tesselon
