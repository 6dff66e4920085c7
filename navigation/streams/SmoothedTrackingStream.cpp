#include "navigation/streams/SmoothedTrackingStream.h"

#include "host/core/base/Log.h"
#include "host/core/model/DataList.h"
#include "host/stream/TrackingStreamData.h"

#include <Eigen/Geometry>

#include <algorithm>
#include <cmath>

namespace Tesselon {
namespace {

constexpr const char* category = "SmoothedTrackingStream";
constexpr const char* suffix = " (smoothed)";
constexpr int minimumInterval = 1;
constexpr int maximumInterval = 20000;

/// The rotation of a pose as a unit quaternion (w, x, y, z), by the trace-based method.
Eigen::Vector4d rotationAsWxyz(const Eigen::Matrix4d& pose)
{
    Eigen::Quaterniond q(Eigen::Matrix3d(pose.topLeftCorner<3, 3>()));
    if (q.norm() > 0.0)
        q.normalize();
    return {q.w(), q.x(), q.y(), q.z()};
}

Eigen::Matrix4d poseFrom(const Eigen::Vector4d& wxyz, const Eigen::Vector3d& translation)
{
    Eigen::Matrix4d pose = Eigen::Matrix4d::Identity();
    pose.topLeftCorner<3, 3>() = Eigen::Quaterniond(wxyz[0], wxyz[1], wxyz[2], wxyz[3]).toRotationMatrix();
    pose.topRightCorner<3, 1>() = translation;
    return pose;
}

void appendSuffix(TrackingInstrument& instrument)
{
    instrument.id.setName(instrument.id.name() + suffix);
}

TrackingStream* firstTrackingStream(const DataList& inputs)
{
    const auto streams = inputs.getAll<TrackingStream>();
    return streams.empty() ? nullptr : streams.front();
}

}  // namespace

SmoothedTrackingStream::SmoothedTrackingStream(const DataList& inputs)
    : SmoothedTrackingStream(firstTrackingStream(inputs))
{
}

SmoothedTrackingStream::SmoothedTrackingStream(TrackingStream* input) : m_input(input)
{
    if (!m_input)
        throw std::invalid_argument("A smoothed tracking stream needs a tracking stream as input.");
    setName(m_input->name() + suffix);
    smoothingMode.setAttribute("values", "None, Weighted Avergage, Kalman Filter");
    smoothingInterval.setLabel("Smoothing Interval");
    // The window index is taken modulo the interval, so it must stay positive.
    smoothingInterval.setAttribute("min", std::to_string(minimumInterval));
    smoothingInterval.setAttribute("max", std::to_string(maximumInterval));
    smoothingInterval.setAttribute("hidden", "true");
    translationError.setLabel("Translation Error [mm]");
    angularError.setLabel("Angular Error [degree]");
    processSigma.setLabel("Process Sigma [a.u.]");
    processSigma.setAttribute(
        "tooltip",
        "Normalized Kalman process sigma (can vary by orders of magnitudes, i.e. 0.0001 to 100 possible)");

    m_input->stateChanged.connect(
        this, [this](State, State newState) { changeState(newState, m_input->failureReason()); });
    m_input->updated.connect(this, [this] { updated.emitSignal(); });
    m_input->updatedThreadSafe.connect(this, [this] { updatedThreadSafe.emitSignal(); });
    m_input->newData.connect(this, &SmoothedTrackingStream::smoothAndUpdate);
}

SmoothedTrackingStream::~SmoothedTrackingStream()
{
    disconnectAll();
    closeAsync().wait();
}

bool SmoothedTrackingStream::isCompatible(const DataList& data)
{
    return data.size() == 1 && dynamic_cast<TrackingStream*>(data[0]);
}

std::vector<TrackingInstrument> SmoothedTrackingStream::instruments() const
{
    std::lock_guard lock(m_lastInstrumentsMutex);
    return m_lastInstruments;
}

bool SmoothedTrackingStream::openImpl()
{
    return m_input->openAsync().get();
}

bool SmoothedTrackingStream::startImpl()
{
    return m_input->startAsync().get();
}

bool SmoothedTrackingStream::stopImpl()
{
    return m_input->stopAsync().get();
}

bool SmoothedTrackingStream::closeImpl()
{
    return m_input->closeAsync().get();
}

bool SmoothedTrackingStream::pauseImpl()
{
    return m_input->pauseAsync().get();
}

bool SmoothedTrackingStream::resumeImpl()
{
    return m_input->resumeAsync().get();
}

void SmoothedTrackingStream::configure(const Properties* properties)
{
    if (!properties)
        return;
    {
        std::lock_guard lock(m_mutex);
        Configurable::configure(properties);
        updateHiddenAttributes();
        resetSmoothing();
    }
    // Panels showing the configuration re-read it; outside the lock, so they may.
    updated.emitSignal();
    updatedThreadSafe.emitSignal();
}

void SmoothedTrackingStream::updateHiddenAttributes()
{
    const bool kalman = smoothingMode.value() == KalmanFilter;
    smoothingInterval.setAttribute("hidden", smoothingMode.value() == WeightedAverage ? "false" : "true");
    for (ParameterBase* parameter :
         std::initializer_list<ParameterBase*>{&translationError, &angularError, &processSigma})
        parameter->setAttribute("hidden", kalman ? "false" : "true");
}

void SmoothedTrackingStream::configuration(Properties* properties) const
{
    if (!properties)
        return;
    std::lock_guard lock(m_mutex);
    Configurable::configuration(properties);
    const int mode = smoothingMode.value();
    properties->setParamAttributes("smoothingInterval",
                                   mode == WeightedAverage ? "hidden: false" : "hidden: true");
    for (const char* key : {"translationError", "angularError", "processSigma"})
        properties->setParamAttributes(key, mode == KalmanFilter ? "hidden: false" : "hidden: true");
}

void SmoothedTrackingStream::resetSmoothing()
{
    m_positionFilters.clear();
    m_orientationFilters.clear();
    m_smoothedQualities.clear();
    m_windows.clear();
    m_lastDeviceTime.reset();
}

void SmoothedTrackingStream::smoothAndUpdate(std::shared_ptr<const StreamData> sample)
{
    const auto* trackingSample = dynamic_cast<const TrackingStreamData*>(sample.get());
    if (!trackingSample) {
        Log::log(Log::Error, category, "Received data is not of type TrackingStreamData");
        return;
    }
    std::shared_ptr<TrackingStreamData> output;
    {
        std::lock_guard lock(m_mutex);
        output = smoothLocked(*trackingSample);
    }
    newData.emitSignal(std::move(output));
}

std::shared_ptr<TrackingStreamData> SmoothedTrackingStream::smoothLocked(const TrackingStreamData& sample)
{
    std::vector<TrackingInstrument> instruments = sample.instruments();
    const std::optional<DeviceTime> deviceTime = sample.timestampDevice();
    replaceNonFinitePoses(instruments);
    switch (smoothingMode.value()) {
        case WeightedAverage:
            averageInstruments(instruments);
            break;
        case KalmanFilter:
            filterInstruments(instruments, deviceTime);
            break;
        default:
            passThroughRenamed(instruments);
            break;
    }
    m_lastDeviceTime = deviceTime;
    auto output = std::make_shared<TrackingStreamData>(this, instruments);
    output->updateComponents(sample);
    // Keeping the device clock lets a further smoothing stage compute real time steps.
    output->setTimestampDevice(deviceTime);
    output->setTimestampArrival(StreamData::nowMilliseconds());
    {
        std::lock_guard lastLock(m_lastInstrumentsMutex);
        m_lastInstruments = std::move(instruments);
    }
    return output;
}

void SmoothedTrackingStream::replaceNonFinitePoses(std::vector<TrackingInstrument>& instruments)
{
    // A non-finite pose would poison windows and filters for good: treat it as an unseen instrument.
    m_lastFinitePoses.resize(std::max(m_lastFinitePoses.size(), instruments.size()),
                             Eigen::Matrix4d::Identity());
    for (std::size_t i = 0; i < instruments.size(); ++i) {
        TrackingInstrument& instrument = instruments[i];
        if (instrument.matrix.allFinite() && std::isfinite(instrument.quality)) {
            m_lastFinitePoses[i] = instrument.matrix;
            continue;
        }
        instrument.matrix = m_lastFinitePoses[i];
        instrument.quality = 0.0;
        instrument.visible = false;
    }
}

void SmoothedTrackingStream::passThroughRenamed(std::vector<TrackingInstrument>& instruments)
{
    for (TrackingInstrument& instrument : instruments)
        appendSuffix(instrument);
}

void SmoothedTrackingStream::averageInstruments(std::vector<TrackingInstrument>& instruments)
{
    for (std::size_t i = 0; i < instruments.size(); ++i) {
        TrackingInstrument& instrument = instruments[i];
        std::tie(instrument.matrix, instrument.quality) =
            updateMovingAverage(static_cast<int>(i), instrument.matrix, instrument.quality);
        appendSuffix(instrument);
    }
}

std::pair<Eigen::Matrix4d, double> SmoothedTrackingStream::updateMovingAverage(int index,
                                                                               const Eigen::Matrix4d& pose,
                                                                               double quality)
{
    const auto known = static_cast<int>(m_windows.size());
    if (index < 0 || index > known) {
        Log::log(Log::Error, category, "Index out of range");
        return {pose, quality};
    }
    const WindowEntry entry{pose.topRightCorner<3, 1>(), rotationAsWxyz(pose), quality};
    if (index == known) {
        m_windows.push_back({{entry}});
        return {pose, quality};
    }
    Window& ring = m_windows[static_cast<std::size_t>(index)];
    std::vector<WindowEntry>& window = ring.entries;
    const auto interval = static_cast<std::size_t>(std::max(minimumInterval, smoothingInterval.value()));
    if (window.size() < interval) {
        window.push_back(entry);
    } else {
        ring.oldest %= window.size();
        window[ring.oldest] = entry;
        ring.oldest = (ring.oldest + 1) % window.size();
    }

    // Quaternions q and -q are one orientation: align every entry with the first seen one before summing.
    // An unseen entry weighs nothing, so it must not choose the hemisphere either.
    const auto firstSeen = std::find_if(window.begin(), window.end(),
                                        [](const WindowEntry& stored) { return stored.weight > 0.0; });
    const Eigen::Vector4d& reference = (firstSeen == window.end() ? window.front() : *firstSeen).wxyz;
    Eigen::Vector3d translationSum = Eigen::Vector3d::Zero();
    Eigen::Vector4d quaternionSum = Eigen::Vector4d::Zero();
    double weightSum = 0.0;
    for (const WindowEntry& stored : window) {
        translationSum += stored.weight * stored.translation;
        weightSum += stored.weight;
        const double sign = stored.wxyz.dot(reference) > 0.0 ? 1.0 : -1.0;
        quaternionSum += (sign * stored.weight) * stored.wxyz;
    }
    const double averageQuality = weightSum / static_cast<double>(window.size());
    if (weightSum <= 0.0)
        return {Eigen::Matrix4d::Identity(), averageQuality};
    Eigen::Vector4d quaternion = quaternionSum / weightSum;
    if (quaternion.norm() > 0.0)
        quaternion.normalize();
    return {poseFrom(quaternion, translationSum / weightSum), averageQuality};
}

KalmanTimeStep SmoothedTrackingStream::timeStep(std::optional<DeviceTime> deviceTime)
{
    // Without two device times there is nothing to measure: the filters step one millisecond.
    const KalmanTimeStep assumed(1.0);
    if (!m_lastDeviceTime || !deviceTime)
        return assumed;
    if (*deviceTime > *m_lastDeviceTime) {
        m_lastGoodTimeStep = *deviceTime - *m_lastDeviceTime;
        return *m_lastGoodTimeStep;
    }
    // A repeated or earlier timestamp would give the filters a zero or negative step.
    if (!m_reportedTimestampProblem) {
        Log::log(Log::Warning, category,
                 "Device timestamps of " + m_input->name() +
                     " repeat or go backwards; smoothing assumes the previous time step for such samples.");
        m_reportedTimestampProblem = true;
    }
    return m_lastGoodTimeStep.value_or(assumed);
}

void SmoothedTrackingStream::filterInstruments(std::vector<TrackingInstrument>& instruments,
                                               std::optional<DeviceTime> deviceTime)
{
    const KalmanTimeStep dt = timeStep(deviceTime);
    // The noise scales with the step counted in milliseconds, the filters' unit.
    const double dtSquared = dt.count() * dt.count();
    const double positionSigma = (translationError.value() / dtSquared) * processSigma.value();
    const double angularSigma = angularError.value() / 100.0;
    const double orientationSigma = (angularSigma / dtSquared) * processSigma.value();

    if (m_positionFilters.size() != instruments.size() || m_orientationFilters.size() != instruments.size()) {
        initialiseFilters(instruments, positionSigma, orientationSigma);
        return;  // the first sample after a (re)start passes through as received
    }
    for (std::size_t i = 0; i < instruments.size(); ++i) {
        TrackingInstrument& instrument = instruments[i];
        const bool measured = instrument.quality != 0.0;

        KalmanPosition& positionFilter = m_positionFilters[i];
        positionFilter.setProcessVariance(positionSigma * positionSigma);
        positionFilter.setMeasurementSigma(translationError.value() * translationError.value());
        const Eigen::Vector3d translation =
            measured ? positionFilter.update(instrument.matrix.topRightCorner<3, 1>(), dt)
                     : positionFilter.update(dt);

        KalmanQuaternion& orientationFilter = m_orientationFilters[i];
        orientationFilter.setProcessVariance(orientationSigma * orientationSigma);
        orientationFilter.setMeasurementSigma(angularSigma * angularSigma);
        const Eigen::Vector4d orientation =
            measured ? orientationFilter.update(rotationAsWxyz(instrument.matrix), dt)
                     : orientationFilter.update(dt);

        double& smoothedQuality = m_smoothedQualities[i];
        smoothedQuality =
            std::sqrt((instrument.quality * instrument.quality + smoothedQuality * smoothedQuality) * 0.5);
        instrument.quality = smoothedQuality;
        instrument.matrix = poseFrom(orientation, translation);
        appendSuffix(instrument);
    }
}

void SmoothedTrackingStream::initialiseFilters(const std::vector<TrackingInstrument>& instruments,
                                               double positionSigma, double orientationSigma)
{
    const double angularSigma = angularError.value() / 100.0;
    m_positionFilters.assign(instruments.size(), KalmanPosition());
    m_orientationFilters.assign(instruments.size(), KalmanQuaternion());
    m_smoothedQualities.clear();
    for (std::size_t i = 0; i < instruments.size(); ++i) {
        const TrackingInstrument& instrument = instruments[i];
        KalmanPosition& positionFilter = m_positionFilters[i];
        positionFilter.init(instrument.matrix.topRightCorner<3, 1>(), positionSigma * positionSigma);
        positionFilter.setProcessVariance(positionSigma * positionSigma);
        positionFilter.setMeasurementSigma(translationError.value() * translationError.value());
        KalmanQuaternion& orientationFilter = m_orientationFilters[i];
        orientationFilter.init(rotationAsWxyz(instrument.matrix), orientationSigma * orientationSigma);
        orientationFilter.setProcessVariance(orientationSigma * orientationSigma);
        orientationFilter.setMeasurementSigma(angularSigma * angularSigma);
        m_smoothedQualities.push_back(instrument.quality);
    }
}

}  // namespace Tesselon
