#pragma once

#include <Eigen/Core>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace Tesselon {

/// One named transform of a frame, for example "StylusToTracker".
struct TrackedTransform
{
    std::string name;
    Eigen::Matrix4d matrix = Eigen::Matrix4d::Identity();
    /// False when the tracker reported the pose as not usable; the matrix is kept but is not a measurement.
    bool valid = true;

    bool operator==(const TrackedTransform& other) const
    {
        return name == other.name && matrix == other.matrix && valid == other.valid;
    }
};

/// The transforms recorded at one instant. A frame may lack transforms that other frames hold.
struct TrackingFrame
{
    double timestamp = 0;  ///< seconds
    std::vector<TrackedTransform> transforms;

    /// The transform of that name, or null when this frame lacks it.
    const TrackedTransform* find(std::string_view name) const;

    bool operator==(const TrackingFrame&) const = default;
};

/// One transform as it appears in one frame of a recording.
struct TransformSample
{
    std::size_t frame = 0;  ///< index into `TrackingRecording::frames`
    double timestamp = 0;   ///< seconds
    Eigen::Matrix4d matrix = Eigen::Matrix4d::Identity();
    bool valid = true;
};

/// A tracking recording held in memory independently of its file format and of any live stream.
class TrackingRecording
{
public:
    /// Every transform name, in the order of first appearance.
    std::vector<std::string> transformNames() const;
    bool hasTransform(std::string_view name) const;
    /// The transform in every frame holding it, in frame order. Throws `TrackingRecordingError` naming the
    /// transforms there are when no frame holds `name`.
    std::vector<TransformSample> samples(std::string_view name) const;

    /// The file the recording was read from, for messages; empty when it was built in memory.
    std::string sourceName;
    std::vector<TrackingFrame> frames;
};

}  // namespace Tesselon
