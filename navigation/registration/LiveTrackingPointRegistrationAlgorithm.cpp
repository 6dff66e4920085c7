#include "navigation/registration/LiveTrackingPointRegistrationAlgorithm.h"

#include "host/core/base/Log.h"
#include "host/core/config/Properties.h"
#include "host/core/geometry/Math.h"
#include "host/core/model/DataList.h"
#include "host/core/model/SharedImageSet.h"
#include "host/stream/InstrumentCalibrationDataComponent.h"
#include "host/stream/TrackingStream.h"
#include "host/stream/TrackingStreamData.h"

#include <Eigen/LU>

#include <algorithm>
#include <sstream>

namespace Tesselon {
namespace {

constexpr const char* category = "LiveTrackingPointRegistrationAlgorithm";
constexpr const char* resultCategory = "LiveTrackingPointRegistration";
constexpr double minimumQuality = 0.8;

std::string text(const Eigen::Matrix4d& matrix)
{
    std::ostringstream stream;
    stream << matrix;
    return stream.str();
}

std::string text(double value)
{
    std::ostringstream stream;
    stream << value;
    return stream.str();
}

bool isTrusted(const TrackingInstrument& instrument)
{
    return instrument.visible && instrument.quality >= minimumQuality;
}

}  // namespace

LiveTrackingPointRegistrationAlgorithm::LiveTrackingPointRegistrationAlgorithm(TrackingStream& stream,
                                                                               SharedImageSet& image)
    : m_stream(stream),
      m_image(image),
      m_volumePoints(image),
      m_trackedPoints(stream),
      m_correspondences(m_trackedPoints, m_volumePoints)
{
    configureDefaults();
    m_stream.newData.connect(this, &LiveTrackingPointRegistrationAlgorithm::onStreamData);
    m_trackedPoints.setUseMainInstrument(false);
}

LiveTrackingPointRegistrationAlgorithm::~LiveTrackingPointRegistrationAlgorithm()
{
    disconnectAll();
}

bool LiveTrackingPointRegistrationAlgorithm::createCompatible(const DataList& data, Algorithm** out)
{
    const auto streams = data.getAll<TrackingStream>();
    const auto volumes = data.getImages(Data::Volume, SharedImageSet::UnknownModality);
    if (streams.size() != 1 || volumes.size() != 1)
        return false;
    if (out)
        *out = new LiveTrackingPointRegistrationAlgorithm(*streams.front(), *volumes.front());
    return true;
}

void LiveTrackingPointRegistrationAlgorithm::configure(const Properties* properties)
{
    if (!properties)
        return;
    Algorithm::configure(properties);
    const Properties* pairs = properties->subProperty("pointCorrespondences");
    if (!pairs)
        return;
    m_trackedPoints.configure(pairs->subProperty("pointsFirst"));
    m_volumePoints.PointsOnData::configure(pairs->subProperty("pointsSecond"));
}

void LiveTrackingPointRegistrationAlgorithm::configuration(Properties* properties) const
{
    if (!properties)
        return;
    Algorithm::configuration(properties);
    Properties* pairs = properties->addSubProperties("pointCorrespondences");
    m_trackedPoints.configuration(pairs->addSubProperties("pointsFirst"));
    m_volumePoints.PointsOnData::configuration(pairs->addSubProperties("pointsSecond"));
}

void LiveTrackingPointRegistrationAlgorithm::compute()
{
    setStatus(NotComputed);
    m_problem.clear();
    if (m_correspondences.size() < 3) {
        refuse(TooFewCorrespondences, "Need at least 3 point correspondeces for registration");
        return;
    }
    const bool needsRelativeTracker = registrationType == AdjustRegistrationOfVolume ||
                                      registrationType == AdjustCalibrationOfRelativeTracker;
    if (needsRelativeTracker && !m_trackedPoints.relativeTrackerId()) {
        refuse(NoRelativeTracker,
               "This registration type adjusts a relative tracker, but the points were not "
               "taken relative to one. Choose a relative tracker, or global tracking.");
        return;
    }
    double error = 0.0;
    Eigen::Matrix4d trackerToVolume;
    try {
        trackerToVolume = m_correspondences.fitRigid(&error);
    } catch (const PointCorrespondences::FitRefused& refusal) {
        refuse(TooFewCorrespondences, refusal.what());
        return;
    }
    m_trackerToVolume = trackerToVolume;
    m_registrationError = error;
    m_residuals = m_correspondences.residuals(trackerToVolume);
    Log::info(category, "Registration error: " + text(error) + " mm");
    applyRegistration(trackerToVolume);
    setStatus(Success);
}

void LiveTrackingPointRegistrationAlgorithm::applyRegistration(const Eigen::Matrix4d& trackerToVolume)
{
    const auto relativeId = m_trackedPoints.relativeTrackerId();
    switch (registrationType.value()) {
        case GlobalTracking:
            moveImage(trackerToVolume);
            Log::info(resultCategory,
                      "Global registration successfull. Image registration was updated: T = \n" +
                          text(trackerToVolume));
            break;
        case AdjustRegistrationOfVolume:
            moveImage(trackerToVolume);
            Log::info(resultCategory,
                      "Relative registration successfull. Image registration was updated: T = \n" +
                          text(trackerToVolume));
            setRelativeCalibration(*relativeId, Eigen::Matrix4d::Identity());
            Log::info(resultCategory, "Calibration of relative tracker reset to unity.");
            break;
        case AdjustCalibrationOfRelativeTracker: {
            const Eigen::Matrix4d volumeToTracker = trackerToVolume.inverse();
            setRelativeCalibration(*relativeId, volumeToTracker);
            Log::info(category,
                      "Relative registration successfull. Image registration is kept unchanged. "
                      "Calibration of relative tracker is set to C=\n" +
                          text(volumeToTracker));
            break;
        }
    }
}

void LiveTrackingPointRegistrationAlgorithm::moveImage(const Eigen::Matrix4d& trackerToVolume)
{
    // The volume points were marked in today's world; afterwards the image lies where the stream shows the
    // tracker (its matrix), so that the image and the tools drawn from the stream agree. The points belong
    // to the image and move with it, so that a second compute over the same pairs finds nothing left to
    // correct.
    const Eigen::Matrix4d oldWorldToNewWorld = m_stream.matrix() * trackerToVolume.inverse();
    m_image.setMatrix(oldWorldToNewWorld * m_image.matrix());
    for (int i = 0; i < m_volumePoints.size(); ++i)
        m_volumePoints.setPoint(
            i, Math::transformPointAffine(oldWorldToNewWorld,
                                          m_volumePoints.allPoints()[static_cast<std::size_t>(i)]));
}

void LiveTrackingPointRegistrationAlgorithm::setRelativeCalibration(const std::string& relativeId,
                                                                    const Eigen::Matrix4d& calibration)
{
    m_stream.components().getOrCreate<InstrumentCalibrationDataComponent>().setCalibration(relativeId,
                                                                                           calibration, 0.0);
}

void LiveTrackingPointRegistrationAlgorithm::refuse(int status, const std::string& message)
{
    Log::error(category, message);
    m_problem = message;
    setStatus(status);
}

void LiveTrackingPointRegistrationAlgorithm::onStreamData(const std::shared_ptr<const StreamData>& sample)
{
    const auto tracking = std::dynamic_pointer_cast<const TrackingStreamData>(sample);
    if (!tracking || tracking->instruments().empty())
        return;
    const std::string pointerId = m_trackedPoints.trackerId();
    const auto relativeId = m_trackedPoints.relativeTrackerId();
    std::lock_guard lock(m_instrumentMutex);
    for (const TrackingInstrument& instrument : tracking->instruments()) {
        if (instrument.id.ID() == pointerId)
            m_lastInstrument = instrument;
        if (relativeId && instrument.id.ID() == *relativeId)
            m_lastRelativeInstrument = instrument;
    }
}

std::optional<int> LiveTrackingPointRegistrationAlgorithm::addLiveTrackingPoint(Eigen::Vector3d& out)
{
    std::optional<Eigen::Vector3d> tip;
    {
        std::lock_guard lock(m_instrumentMutex);
        const TrackingInstrument* relative =
            m_trackedPoints.relativeTrackerId() ? &m_lastRelativeInstrument : nullptr;
        if (!isTrusted(m_lastInstrument) || (relative && !isTrusted(*relative)))
            return std::nullopt;
        tip = m_trackedPoints.tipPosition(m_lastInstrument, relative);
    }
    if (!tip)
        return std::nullopt;
    out = *tip;
    m_trackedPoints.addWorldPoint(*tip);
    return m_trackedPoints.size() - 1;
}

bool LiveTrackingPointRegistrationAlgorithm::setVolumePoint(int id, const Eigen::Vector3d& worldPoint)
{
    if (id != m_trackedPoints.size() - 1)
        return false;
    m_volumePoints.addImagePoint(worldPoint, 0);
    return true;
}

std::vector<std::unique_ptr<LiveTrackingPointRegistrationAlgorithm::Correspondence>>
LiveTrackingPointRegistrationAlgorithm::correspondences() const
{
    const Eigen::Matrix4d worldToImage = m_image.matrixFromWorld();
    const int count = std::max(m_trackedPoints.size(), m_volumePoints.size());
    std::vector<std::unique_ptr<Correspondence>> pairs;
    for (int i = 0; i < count; ++i) {
        auto pair = std::make_unique<Correspondence>();
        pair->id = i;
        if (i < m_trackedPoints.size())
            pair->tracked = std::optional(m_trackedPoints.allPoints()[static_cast<std::size_t>(i)]);
        if (i < m_volumePoints.size())
            pair->volume = std::optional(Math::transformPointAffine(
                worldToImage, m_volumePoints.allPoints()[static_cast<std::size_t>(i)]));
        pairs.push_back(std::move(pair));
    }
    return pairs;
}

std::optional<double> LiveTrackingPointRegistrationAlgorithm::expectedTargetError(
    const Eigen::Vector3d& targetInWorld) const
{
    if (!m_registrationError)
        return std::nullopt;
    try {
        const double localisationError =
            PointCorrespondences::localisationErrorFromFit(*m_registrationError, m_correspondences.size());
        return m_correspondences.expectedTargetError(targetInWorld, localisationError);
    } catch (const std::invalid_argument& refusal) {
        Log::warning(category, std::string("No target error can be predicted: ") + refusal.what());
        return std::nullopt;
    }
}

}  // namespace Tesselon
