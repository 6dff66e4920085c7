#include "host/stream/TrackingSequence.h"

#include "host/core/geometry/Pose.h"
#include "host/core/io/TrackingRecording.h"

#include <Eigen/LU>

#include <algorithm>

namespace Tesselon {
namespace {

// Recorded rotations are often orthonormal only to a few 1e-4; such a pose is still a rigid measurement.
constexpr double rigidityTolerance = 1e-3;

/// referenceToTracker⁻¹ · toolToTracker, invalid when either is invalid or the reference is singular.
TrackingSequence::Sample relativeSample(const TrackedTransform& tool, const TrackedTransform* reference)
{
    TrackingSequence::Sample sample;
    sample.quality = tool.valid && reference && reference->valid ? 1.0 : 0.0;
    if (sample.quality == 0.0)
        return sample;
    Eigen::Matrix4d trackerToReference;
    bool invertible = false;
    double determinant = 0.0;
    reference->matrix.computeInverseAndDetWithCheck(trackerToReference, determinant, invertible, 1e-12);
    if (invertible)
        sample.markerToTracker = trackerToReference * tool.matrix;
    else
        sample.quality = 0.0;
    return sample;
}

}  // namespace

std::unique_ptr<TrackingSequence> TrackingSequence::fromRecording(const TrackingRecording& recording,
                                                                  const std::string& transform,
                                                                  const std::string& relativeTo,
                                                                  std::size_t firstFrame,
                                                                  std::size_t lastFrame)
{
    if (!relativeTo.empty())
        recording.samples(relativeTo);  // throws, naming the transforms there are, when it is missing
    auto sequence = std::make_unique<TrackingSequence>(TrackerID(transform), transform);
    for (const TransformSample& recorded : recording.samples(transform)) {
        if (recorded.frame < firstFrame || recorded.frame > lastFrame)
            continue;
        const TrackingFrame& frame = recording.frames[recorded.frame];
        Sample sample;
        if (relativeTo.empty()) {
            sample.markerToTracker = recorded.matrix;
            sample.quality = recorded.valid ? 1.0 : 0.0;
        } else {
            sample = relativeSample(*frame.find(transform), frame.find(relativeTo));
        }
        sample.timestampSeconds = recorded.timestamp;
        sequence->add(std::move(sample));
    }
    return sequence;
}

TrackingSequence::TrackingSequence(TrackerID id, std::string name)
    : Data(name.empty() ? id.name().empty() ? id.ID() : id.name() : std::move(name)),
      m_trackerId(std::move(id))
{
}

void TrackingSequence::add(Sample sample)
{
    // A non-rigid or non-finite pose is no measurement of a rigid tool: keep its place, not its data.
    if (!Pose::isRigid(sample.markerToTracker, rigidityTolerance)) {
        sample.quality = 0.0;
        if (!sample.markerToTracker.allFinite())
            sample.markerToTracker = Eigen::Matrix4d::Identity();
    }
    m_samples.push_back(std::move(sample));
}

std::size_t TrackingSequence::validCount() const
{
    return static_cast<std::size_t>(
        std::count_if(m_samples.begin(), m_samples.end(), [](const Sample& s) { return s.quality > 0.0; }));
}

Eigen::Matrix4d TrackingSequence::matrix(std::size_t index) const
{
    return m_samples.at(index).markerToTracker * m_tipToMarker;
}

}  // namespace Tesselon
