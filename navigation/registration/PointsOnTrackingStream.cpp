#include "navigation/registration/PointsOnTrackingStream.h"

#include "host/core/base/Log.h"
#include "host/core/base/QtHelpers.h"
#include "host/core/config/Properties.h"
#include "host/stream/InstrumentCalibrationDataComponent.h"
#include "host/stream/TrackingInstrument.h"
#include "host/stream/TrackingStream.h"
#include "host/stream/TrackingStreamData.h"

#include <QCoreApplication>

#include <Eigen/LU>

namespace Tesselon {
namespace {

constexpr const char* category = "PointsOnTrackingStream";
constexpr const char* trackerIdKey = "trackingTargetId";
constexpr const char* relativeTrackerIdKey = "trackingTargetRelId";

}  // namespace

PointsOnTrackingStream::PointsOnTrackingStream(TrackingStream& stream)
    : m_stream(stream), m_trackerId(stream.mainInstrumentId())
{
    if (const auto* application = QCoreApplication::instance())
        m_guiContext.moveToThread(application->thread());
    m_stream.mainInstrumentChanged.connect(this, &PointsOnTrackingStream::onMainInstrumentChanged);
}

PointsOnTrackingStream::~PointsOnTrackingStream()
{
    disconnectAll();
}

Data* PointsOnTrackingStream::data() const
{
    return &m_stream;
}

void PointsOnTrackingStream::configure(const Properties* properties)
{
    if (!properties)
        return;
    PointsOnData::configure(properties);
    std::lock_guard lock(m_idMutex);
    properties->param(trackerIdKey, m_trackerId);
    std::string relativeId;
    if (properties->param(relativeTrackerIdKey, relativeId))
        m_relativeTrackerId = std::move(relativeId);
}

void PointsOnTrackingStream::configuration(Properties* properties) const
{
    if (!properties)
        return;
    PointsOnData::configuration(properties);
    std::lock_guard lock(m_idMutex);
    properties->setParam(trackerIdKey, m_trackerId);
    if (m_relativeTrackerId)
        properties->setParam(relativeTrackerIdKey, *m_relativeTrackerId);
}

void PointsOnTrackingStream::remove(int first, int last)
{
    const auto range = clampedRange(first, last);
    if (!range)
        return;
    m_worldPoints.erase(m_worldPoints.begin() + range->first, m_worldPoints.begin() + range->second);
    entriesRemoved(range->first, range->second);
}

void PointsOnTrackingStream::addWorldPoint(const Eigen::Vector3d& point)
{
    m_worldPoints.push_back(point);
    entriesAppended(1);
}

void PointsOnTrackingStream::setWorldPoint(const Eigen::Vector3d& point, int index)
{
    if (index < 0)
        index = std::max(index + size(), 0);
    if (index >= size()) {
        Log::error(category, "setWorldPoint: invalid index " + std::to_string(index));
        return;
    }
    m_worldPoints[static_cast<std::size_t>(index)] = point;
    entriesChanged(index, index + 1);
}

bool PointsOnTrackingStream::useMainInstrument() const
{
    std::lock_guard lock(m_idMutex);
    return m_useMainInstrument;
}

void PointsOnTrackingStream::setUseMainInstrument(bool use)
{
    {
        std::lock_guard lock(m_idMutex);
        m_useMainInstrument = use;
    }
    adoptTrackerId(m_stream.mainInstrumentId());
}

std::string PointsOnTrackingStream::trackerId() const
{
    std::lock_guard lock(m_idMutex);
    return m_trackerId;
}

void PointsOnTrackingStream::setTrackerId(std::string id)
{
    std::lock_guard lock(m_idMutex);
    if (m_useMainInstrument) {
        Log::error(category, "Main instrument is used. Cannot set tracker ID manually.");
        return;
    }
    m_trackerId = std::move(id);
}

std::optional<std::string> PointsOnTrackingStream::relativeTrackerId() const
{
    std::lock_guard lock(m_idMutex);
    return m_relativeTrackerId;
}

void PointsOnTrackingStream::setRelativeTrackerId(std::optional<std::string> id)
{
    std::lock_guard lock(m_idMutex);
    m_relativeTrackerId = std::move(id);
}

std::optional<Eigen::Vector3d> PointsOnTrackingStream::tipPosition(const TrackingInstrument& pointer,
                                                                   const TrackingInstrument* relative) const
{
    const std::string id = pointer.id.ID();
    Eigen::Matrix4d tipToMarker = Eigen::Matrix4d::Identity();
    if (const auto* calibrations = m_stream.components().get<InstrumentCalibrationDataComponent>())
        if (const auto calibration = calibrations->calibration(id))
            tipToMarker = calibration->matrix;
    Eigen::Matrix4d tipToFrame = pointer.matrix * tipToMarker;
    if (relative) {
        Eigen::Matrix4d trackerToRelative;
        bool invertible = false;
        relative->matrix.computeInverseWithCheck(trackerToRelative, invertible);
        if (!invertible) {
            Log::error(category, "The pose of " + relative->id.ID() +
                                     " cannot be inverted; no point was taken relative to it.");
            return std::nullopt;
        }
        tipToFrame = trackerToRelative * tipToFrame;
    }
    const Eigen::Vector3d tip = tipToFrame.topRightCorner<3, 1>();
    if (!tip.allFinite()) {
        Log::error(category, "The pose of " + id + " is not finite; no point was taken.");
        return std::nullopt;
    }
    return tip;
}

std::optional<Eigen::Vector3d> PointsOnTrackingStream::trustedTip(const TrackingStreamData& sample) const
{
    // A pose the tracker itself doubts is no ground for a registration point.
    constexpr double minimumQuality = 0.8;
    const auto trusted = [&sample](const std::string& id) -> std::optional<TrackingInstrument> {
        auto instrument = sample.instrument(id);
        if (!instrument || !instrument->visible || !(instrument->quality > minimumQuality))
            return std::nullopt;
        return instrument;
    };
    const auto pointer = trusted(trackerId());
    const auto relativeId = relativeTrackerId();
    const auto relative = relativeId ? trusted(*relativeId) : std::nullopt;
    if (!pointer || (relativeId && !relative))
        return std::nullopt;
    return tipPosition(*pointer, relative ? &*relative : nullptr);
}

void PointsOnTrackingStream::postCapture(std::optional<Eigen::Vector3d> point)
{
    QtHelpers::runOnMainThread(
        [this, point] {
            if (point)
                addWorldPoint(*point);
            else
                pointsAdded.emitSignal(-1, -1);
        },
        0, &m_guiContext);
}

void PointsOnTrackingStream::configurePoint(int, const Properties& block)
{
    Eigen::Vector3d point;
    if (block.param("Point", point))
        addWorldPoint(point);
    std::string name;
    if (block.param("Name", name))
        setName(size() - 1, std::move(name));
}

void PointsOnTrackingStream::onMainInstrumentChanged(const std::string& id)
{
    auto follow = [this, id] {
        if (useMainInstrument())
            adoptTrackerId(id);
    };
    // Streams may change their main instrument on their own thread; the points belong to the GUI thread.
    if (QtHelpers::isMainThread())
        follow();
    else
        QtHelpers::runOnMainThread(follow, 0, &m_guiContext);
}

void PointsOnTrackingStream::adoptTrackerId(const std::string& id)
{
    if (trackerId() == id)
        return;
    if (!empty()) {
        Log::info(category, "Changed instrument after points were added. Clear points.");
        clear();
    }
    std::lock_guard lock(m_idMutex);
    m_trackerId = id;
}

}  // namespace Tesselon
