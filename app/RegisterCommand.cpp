#include "app/RegisterCommand.h"

#include "app/BestPairing.h"
#include "app/JsonOutput.h"
#include "app/OfflineTrackingStream.h"
#include "app/RestingTips.h"
#include "host/core/io/ImageVolumeFile.h"
#include "host/core/io/PointListFile.h"
#include "host/core/model/PointCorrespondences.h"
#include "host/core/model/PointsOnImage.h"
#include "host/core/model/SharedImageSet.h"
#include "host/stream/InstrumentCalibrationDataComponent.h"
#include "navigation/registration/LiveTrackingPointRegistrationAlgorithm.h"

#include <fmt/core.h>

#include <algorithm>
#include <cmath>
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

/// Pairing is one to one, so a missing or extra point (or rest) would silently shift every later pair.
void requireEqualLengths(const PointList& tracked, const PointList& volume, bool trackedAreRests = false)
{
    if (tracked.points.size() == volume.points.size())
        return;
    if (trackedAreRests)
        throw std::invalid_argument(fmt::format(
            "The pointer rests {} times in {} but the volume list {} has {} points; they pair one to one, so "
            "they must be equal.",
            tracked.points.size(), tracked.sourceName, volume.sourceName, volume.points.size()));
    throw std::invalid_argument(fmt::format(
        "The tracked list {} has {} points but the volume list {} has {}; they pair by index, so they must "
        "be equal.",
        tracked.sourceName, tracked.points.size(), volume.sourceName, volume.points.size()));
}

}  // namespace

// Coordinates near the largest doubles overflow in the fit: its figures would be infinite or not numbers.
void RegisterCommand::requireFinite(const Result& result)
{
    const bool finite = std::isfinite(result.error) && result.trackerToVolume.allFinite() &&
                        std::all_of(result.residuals.begin(), result.residuals.end(),
                                    [](double r) { return std::isfinite(r); }) &&
                        (!result.expectedTargetError || std::isfinite(*result.expectedTargetError));
    if (!finite)
        throw std::invalid_argument(
            fmt::format("The registration has no finite result (RMS error {}); the points' coordinates are "
                        "too large to fit, "
                        "expected millimetres.",
                        result.error));
}

namespace {

PointList reordered(const PointList& list, const std::vector<std::size_t>& order)
{
    PointList result{{}, list.sourceName};
    for (const std::size_t index : order)
        result.points.push_back(list.points[index]);
    return result;
}

std::string labelOf(const PointList& list, std::size_t i)
{
    const std::string& label = list.points[i].label;
    return label.empty() ? fmt::format("#{}", i + 1) : label;
}

std::string text(const Eigen::Matrix4d& matrix)
{
    std::ostringstream stream;
    stream << matrix;
    return stream.str();
}

/// Which rest went to which point, with the rest's tip, for scripts that check or reuse the pairing.
QJsonArray pairsJson(const PointList& tracked, const PointList& volume)
{
    QJsonArray pairs;
    for (std::size_t i = 0; i < tracked.points.size(); ++i) {
        const Eigen::Vector3d& tip = tracked.points[i].position;
        pairs.append(QJsonObject{{"tracked", QString::fromStdString(labelOf(tracked, i))},
                                 {"volume", QString::fromStdString(labelOf(volume, i))},
                                 {"trackedPoint", QJsonArray{tip.x(), tip.y(), tip.z()}}});
    }
    return pairs;
}

}  // namespace

RegisterCommand::RegisterCommand(CLI::App& program, HostContext& context)
    : Command(program, context, "register", "Register tracked points to the same points in a volume")
{
    auto* tracked =
        options()
            .add_option("--tracked", m_tracked, "Points touched with the tracked tool (.csv or .mrk.json)")
            ->check(CLI::ExistingFile);
    auto* recording =
        options()
            .add_option("--recording", m_recording,
                        "Instead of --tracked: a tracking recording of the pointer resting on each point")
            ->check(CLI::ExistingFile)
            ->excludes(tracked);
    options()
        .add_option("--transform", m_transform, "The pointer's transform in the recording")
        ->needs(recording);
    options()
        .add_option("--tip", m_tip, "The pointer's tip X,Y,Z in its marker frame (mm)")
        ->delimiter(',')
        ->expected(3)
        ->needs(recording);
    options()
        .add_flag("--match", m_match, "Pair the rests with the points by the assignment that registers best")
        ->needs(recording);
    options()
        .add_option("--volume", m_volume, "The same points, in the same order, in volume coordinates")
        ->required()
        ->check(CLI::ExistingFile);
    options()
        .add_option("--target", m_target, "Predict the registration error at X,Y,Z (volume coordinates, mm)")
        ->delimiter(',')
        ->expected(3);
    auto* image =
        options()
            .add_option("--image", m_image, "Apply the registration to this volume (.nii, .mha, ...)")
            ->check(CLI::ExistingFile);
    options()
        .add_option("--type", m_type,
                    "0: move the volume into tracker space; 1: move it into the relative tracker's frame and "
                    "reset that tracker's calibration; 2: keep the volume, calibrate the relative tracker")
        ->check(CLI::Range(0, 2))
        ->needs(image);
    options().add_option(
        "--relative-to", m_relativeTo,
        "The tracked points are in this instrument's frame; with --recording, its transform");
    addJsonFlag();
}

int RegisterCommand::run()
{
    try {
        const PointList volume = PointListFile::read(m_volume);
        const PointList tracked = readTracked(volume);
        Result result = registerPoints(tracked, volume);
        requireFinite(result);
        if (!m_image.empty())
            applyToImage(tracked, volume, result);
        if (json())
            printJson(result, tracked, volume);
        else
            printText(result, tracked, volume);
        return 0;
    } catch (const std::exception& error) {
        return fail(error.what());
    }
}

// The options that depend on each other across the two forms, which the option parser cannot express.
void RegisterCommand::checkSources() const
{
    if (m_recording.empty() == m_tracked.empty())
        throw std::invalid_argument("Give the tracked points with either --tracked or --recording.");
    if (!m_recording.empty() && (m_transform.empty() || m_tip.size() != 3))
        throw std::invalid_argument("A recording needs the pointer's --transform and its --tip.");
    if (!m_relativeTo.empty() && m_image.empty() && m_recording.empty())
        throw std::invalid_argument("--relative-to needs --image or --recording.");
}

PointList RegisterCommand::readTracked(const PointList& volume) const
{
    checkSources();
    if (m_recording.empty())
        return PointListFile::read(m_tracked);
    const PointList rests = RestingTips::read(m_recording, m_transform, m_relativeTo,
                                              Eigen::Vector3d(m_tip[0], m_tip[1], m_tip[2]));
    requireEqualLengths(rests, volume, true);
    return m_match ? reordered(rests, BestPairing::order(positions(rests), positions(volume))) : rests;
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

void RegisterCommand::applyToImage(const PointList& tracked, const PointList& volume, Result& result) const
{
    const auto image = ImageVolumeFile::read(m_image);
    OfflineTrackingStream stream("tracked points");
    LiveTrackingPointRegistrationAlgorithm registration(stream, *image);
    registration.registrationType =
        static_cast<LiveTrackingPointRegistrationAlgorithm::RegistrationType>(m_type);
    if (!m_relativeTo.empty())
        registration.trackedPoints().setRelativeTrackerId(m_relativeTo);
    for (std::size_t i = 0; i < tracked.points.size(); ++i) {
        registration.trackedPoints().addWorldPoint(tracked.points[i].position);
        registration.volumePoints().addPoint(volume.points[i].position);
    }
    registration.compute();
    if (registration.status() != Algorithm::Success)
        throw std::runtime_error(registration.problem());
    result.imagePose = image->matrix();
    if (const auto* calibrations = stream.components().get<InstrumentCalibrationDataComponent>())
        if (const auto calibration = calibrations->calibration(m_relativeTo))
            result.relativeCalibration = calibration->matrix;
}

void RegisterCommand::printText(const Result& result, const PointList& tracked, const PointList& volume) const
{
    fmt::print("Registration (trackerToVolume):\n{}\n\n", text(result.trackerToVolume));
    fmt::print("RMS error: {:.3f} mm over {} pairs\n", result.error, result.residuals.size());
    fmt::print("Residuals:\n");
    for (std::size_t i = 0; i < result.residuals.size(); ++i)
        fmt::print("  {} -> {}: {:.3f} mm\n", labelOf(tracked, i), labelOf(volume, i), result.residuals[i]);
    if (result.expectedTargetError)
        fmt::print("Expected target error at ({}, {}, {}): {:.3f} mm\n", m_target[0], m_target[1],
                   m_target[2], *result.expectedTargetError);
    if (result.imagePose)
        fmt::print("Volume pose after registration (imageToWorld):\n{}\n", text(*result.imagePose));
    if (result.relativeCalibration)
        fmt::print("Calibration of {}:\n{}\n", m_relativeTo, text(*result.relativeCalibration));
}

void RegisterCommand::printJson(const Result& result, const PointList& tracked, const PointList& volume) const
{
    QJsonArray residuals;
    for (const double residual : result.residuals)
        residuals.append(residual);
    QJsonObject object{{"status", "ok"},
                       {"transform", JsonOutput::rowMajor(result.trackerToVolume)},
                       {"error", result.error},
                       {"residuals", residuals}};
    if (result.expectedTargetError)
        object.insert("expectedTargetError", *result.expectedTargetError);
    if (result.imagePose)
        object.insert("imagePose", JsonOutput::rowMajor(*result.imagePose));
    if (result.relativeCalibration)
        object.insert("relativeCalibration", JsonOutput::rowMajor(*result.relativeCalibration));
    if (!m_recording.empty())
        object.insert("pairs", pairsJson(tracked, volume));
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
