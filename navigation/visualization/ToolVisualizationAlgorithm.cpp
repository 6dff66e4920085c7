#include "navigation/visualization/ToolVisualizationAlgorithm.h"

#include "host/core/base/Log.h"
#include "host/core/config/Properties.h"
#include "host/core/geometry/Math.h"
#include "host/core/model/DataList.h"
#include "host/core/model/SharedImageSet.h"
#include "host/stream/InstrumentCalibrationDataComponent.h"
#include "host/stream/TrackingStream.h"
#include "host/stream/TrackingStreamData.h"

#include <Eigen/LU>

#include <QFileInfo>

namespace Tesselon {
namespace {

constexpr const char* category = "ToolVisualizationAlgorithm";
constexpr const char* retiredKeys[] = {"trackingTargetName", "trackingTargetRelName"};

std::optional<Eigen::Matrix4d> inverseOf(const Eigen::Matrix4d& matrix)
{
    Eigen::Matrix4d inverse;
    bool invertible = false;
    matrix.computeInverseWithCheck(inverse, invertible);
    if (!invertible || !inverse.allFinite())
        return std::nullopt;
    return inverse;
}

/// The sample's raw fiducials moved into the world, or null when it has none.
std::unique_ptr<TrackingInstrumentFiducialsData> fiducialsInWorld(const TrackingStreamData& sample,
                                                                  const Eigen::Matrix4d& trackerToWorld)
{
    const auto raw = sample.component<TrackingInstrumentFiducialsData>();
    if (!raw || raw->fiducials().empty())
        return nullptr;
    auto fiducials = raw->fiducials();
    for (auto& fiducial : fiducials)
        fiducial.position = Math::transformPointAffine(trackerToWorld, fiducial.position);
    return std::make_unique<TrackingInstrumentFiducialsData>(std::move(fiducials));
}

}  // namespace

ToolVisualizationAlgorithm::ToolVisualizationAlgorithm(TrackingStream* stream, SharedImageSet* image)
    : m_stream(stream)
{
    configureDefaults();
    if (image)
        m_stream->setMatrix(image->matrix());
    for (ParameterBase* selecting :
         std::initializer_list<ParameterBase*>{&trackingTargetId, &trackingTargetRelId, &qualityThreshold})
        selecting->valueChanged.connect(this, [this] { refreshSelection(); });
    refreshSelection();
    m_stream->newData.connect(this, &ToolVisualizationAlgorithm::onStreamData);
}

ToolVisualizationAlgorithm::~ToolVisualizationAlgorithm()
{
    disconnectAll();
}

bool ToolVisualizationAlgorithm::createCompatible(const DataList& data, Algorithm** out)
{
    if (data.empty() || data.size() > 2)
        return false;
    auto* stream = dynamic_cast<TrackingStream*>(data.getFirst(Data::TrackingStream));
    if (!stream)
        return false;
    if (out)
        *out = new ToolVisualizationAlgorithm(stream, data.getImage());
    return true;
}

void ToolVisualizationAlgorithm::configure(const Properties* properties)
{
    if (!properties)
        return;
    Algorithm::configure(properties);
    warnAboutRetiredKeys(*properties);
    fixAbsolutePath(mesh);
}

void ToolVisualizationAlgorithm::followMeshPath(Parameter<std::string>& meshPath)
{
    mesh = meshPath.value();
    meshPath.valueChanged.connect(this, [this, &meshPath] { mesh = meshPath.value(); });
}

void ToolVisualizationAlgorithm::configureEmbedded(const Properties* properties, const std::string& meshPath)
{
    configure(properties);
    mesh = meshPath;
}

void ToolVisualizationAlgorithm::embeddedConfiguration(Properties* properties,
                                                       const std::string& meshKey) const
{
    if (!properties)
        return;
    configuration(properties);
    std::string meshPath;
    if (properties->param(mesh.name(), meshPath)) {
        properties->removeParam(mesh.name());
        properties->setParam(meshKey, meshPath);
    }
}

void ToolVisualizationAlgorithm::compute()
{
    setStatus(Success);
}

void ToolVisualizationAlgorithm::refreshSelection()
{
    std::lock_guard lock(m_mutex);
    m_selection = {trackingTargetId.value(), trackingTargetRelId.value(), qualityThreshold.value()};
}

void ToolVisualizationAlgorithm::warnAboutRetiredKeys(const Properties& properties) const
{
    for (const char* key : retiredKeys) {
        std::string value;
        if (properties.param(key, value) && !value.empty())
            Log::warning(
                "", "Tracker " + value + " could not be selected with deprecated `" + key +
                        "` parameter. Use the `trackingTargetId` or `trackingTargetRelId` with the unique "
                        "TrackerID::ID instead to identify the tracking instruments.");
    }
}

void ToolVisualizationAlgorithm::fixAbsolutePath(Parameter<std::string>& path)
{
    const std::string& value = path.value();
    if (value.empty() || value.front() == ':')
        return;
    const QFileInfo file(QString::fromStdString(value));
    if (file.exists() && file.isRelative())
        path = file.absoluteFilePath().toStdString();
}

Eigen::Matrix4d ToolVisualizationAlgorithm::calibrationOf(const std::string& instrumentId) const
{
    if (const auto* calibrations = m_stream->components().get<InstrumentCalibrationDataComponent>())
        if (const auto calibration = calibrations->calibration(instrumentId))
            return calibration->matrix;
    return Eigen::Matrix4d::Identity();
}

void ToolVisualizationAlgorithm::onStreamData(const std::shared_ptr<const StreamData>& sample)
{
    if (!running)
        return;
    const auto tracking = std::dynamic_pointer_cast<const TrackingStreamData>(sample);
    if (!tracking) {
        Log::error(category, "Tracking Stream data is null");
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        Eigen::Matrix4d markerToTracker = Eigen::Matrix4d::Identity();
        Eigen::Matrix4d referenceToTracker = Eigen::Matrix4d::Identity();
        Eigen::Matrix4d toolCalibration = Eigen::Matrix4d::Identity();
        Eigen::Matrix4d referenceCalibration = Eigen::Matrix4d::Identity();
        double targetQuality = 0.0;
        double referenceQuality = 1.0;
        for (const TrackingInstrument& instrument : tracking->instruments()) {
            if (instrument.id.ID() == m_selection.targetId) {
                markerToTracker = instrument.matrix;
                targetQuality = instrument.quality;
                toolCalibration = calibrationOf(m_selection.targetId);
            }
            if (instrument.id.ID() == m_selection.referenceId) {
                referenceToTracker = instrument.matrix;
                referenceQuality = instrument.quality;
                referenceCalibration = calibrationOf(m_selection.referenceId);
            }
        }
        m_rawToolMatrix = markerToTracker;
        const auto trackerToReference = inverseOf(referenceToTracker);
        const auto referenceToCalibrated = inverseOf(referenceCalibration);
        const bool usable = trackerToReference && referenceToCalibrated && markerToTracker.allFinite();
        reportUnusablePose(!usable);
        if (!usable) {
            // The previous pose stays, and the quality says it is not current.
            m_lastQuality = 0.0;
            m_lastFiducials.reset();
        } else {
            const Eigen::Matrix4d trackerToWorld =
                m_stream->matrix() * *referenceToCalibrated * *trackerToReference;
            m_toolMatrix = trackerToWorld * markerToTracker * toolCalibration;
            m_lastQuality = targetQuality * referenceQuality;
            m_lastFiducials = fiducialsInWorld(*tracking, trackerToWorld);
        }
    }
    toolUpdated.emitSignal();
}

void ToolVisualizationAlgorithm::reportUnusablePose(bool unusable)
{
    // Once per spell, not once per sample.
    if (unusable && !m_unusablePoseReported)
        Log::error(category, "The pose of " + m_selection.targetId +
                                 " or of its reference cannot be used (not "
                                 "finite, or not invertible); the tool is "
                                 "shown as not tracked until it can.");
    m_unusablePoseReported = unusable;
}

std::optional<Eigen::Matrix4d> ToolVisualizationAlgorithm::lastToolMatrix() const
{
    std::lock_guard lock(m_mutex);
    if (!(m_lastQuality > m_selection.qualityThreshold))
        return std::nullopt;
    return m_toolMatrix;
}

std::optional<Eigen::Matrix4d> ToolVisualizationAlgorithm::rawToolMatrix() const
{
    std::lock_guard lock(m_mutex);
    if (!(m_lastQuality > m_selection.qualityThreshold))
        return std::nullopt;
    return m_rawToolMatrix;
}

double ToolVisualizationAlgorithm::lastQuality() const
{
    std::lock_guard lock(m_mutex);
    return m_lastQuality;
}

std::unique_ptr<TrackingInstrumentFiducialsData> ToolVisualizationAlgorithm::lastRawFiducialData() const
{
    std::lock_guard lock(m_mutex);
    if (!m_lastFiducials)
        return nullptr;
    return std::make_unique<TrackingInstrumentFiducialsData>(*m_lastFiducials);
}

void ToolVisualizationAlgorithm::updateReference(const Eigen::Matrix4d& toolToWorld)
{
    std::lock_guard lock(m_mutex);
    const auto markerToTool = inverseOf(calibrationOf(m_selection.targetId));
    const auto trackerToMarker = inverseOf(m_rawToolMatrix);
    if (!markerToTool || !trackerToMarker) {
        Log::error(category,
                   "The tool's pose or calibration cannot be inverted; the reference was not moved.");
        return;
    }
    m_stream->setMatrix(toolToWorld * *markerToTool * *trackerToMarker);
}

}  // namespace Tesselon
