#pragma once

#include "host/core/model/Data.h"
#include "host/core/model/DataComponent.h"
#include "host/stream/TrackerID.h"

#include <Eigen/Core>

#include <limits>
#include <memory>
#include <optional>
#include <typeinfo>
#include <vector>

namespace Tesselon {

class TrackingRecording;

/// A recording of one instrument: its poses (markerToTracker), qualities, timestamps and the per-sample
/// components (such as the raw fiducials) of the samples they came from. A sample of quality 0 is an
/// invalid sample (the tool was not seen, or its pose was unusable), kept so indices match the recording.
/// The sequence's calibration (tipToMarker) is applied by `matrix(i)`.
class TrackingSequence : public Data
{
public:
    struct Sample
    {
        Eigen::Matrix4d markerToTracker = Eigen::Matrix4d::Identity();
        double quality = 1.0;
        /// The device time in seconds; empty when the device gave none.
        std::optional<double> timestampSeconds;
        std::vector<std::shared_ptr<const DataComponent>> components;
    };

    explicit TrackingSequence(TrackerID id = {}, std::string name = {});

    /// The samples of one transform of a recording, within a frame range (inclusive). With `relativeTo`,
    /// each pose is expressed in that transform's frame (relativeTo⁻¹ · transform); a frame where either is
    /// invalid or the reference cannot be inverted gives an invalid sample. Throws when the recording lacks
    /// a named transform.
    static std::unique_ptr<TrackingSequence> fromRecording(
        const TrackingRecording& recording, const std::string& transform, const std::string& relativeTo = {},
        std::size_t firstFrame = 0, std::size_t lastFrame = std::numeric_limits<std::size_t>::max());

    Kind kind() const override { return Kind::TrackingSequence; }

    const TrackerID& trackerId() const { return m_trackerId; }
    void setTrackerId(TrackerID id) { m_trackerId = std::move(id); }

    /// Appends a sample; a pose that is not rigid (or not finite) is kept as an invalid sample.
    void add(Sample sample);
    std::size_t size() const { return m_samples.size(); }
    bool empty() const { return m_samples.empty(); }
    const Sample& sample(std::size_t index) const { return m_samples.at(index); }
    bool isValid(std::size_t index) const { return m_samples.at(index).quality > 0.0; }
    std::size_t validCount() const;

    /// The calibrated pose of sample i: markerToTracker · calibration, i.e. tipToTracker.
    Eigen::Matrix4d matrix(std::size_t index) const;
    const Eigen::Matrix4d& calibration() const { return m_tipToMarker; }
    void setCalibration(const Eigen::Matrix4d& tipToMarker) { m_tipToMarker = tipToMarker; }

    /// The component of exact type T of sample i, or null.
    template <class T>
    std::shared_ptr<const T> component(std::size_t index) const
    {
        for (const auto& component : m_samples.at(index).components)
            if (typeid(*component) == typeid(T))
                return std::static_pointer_cast<const T>(component);
        return nullptr;
    }

private:
    TrackerID m_trackerId;
    std::vector<Sample> m_samples;
    Eigen::Matrix4d m_tipToMarker = Eigen::Matrix4d::Identity();
};

}  // namespace Tesselon
