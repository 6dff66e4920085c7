#pragma once

#include "host/stream/DeviceTime.h"
#include "host/stream/TrackerID.h"

#include <Eigen/Core>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace Tesselon {

/// One instrument in one tracking sample.
struct TrackingInstrument
{
    TrackerID id;
    /// instrumentToTracker: maps the instrument's marker frame into the tracker frame (mm).
    Eigen::Matrix4d matrix = Eigen::Matrix4d::Identity();
    /// Confidence in [0, 1], used as a weight; 0 when the instrument is not seen.
    double quality = 0.0;
    /// The instrument's own time on the device clock; empty when the device gives none.
    std::optional<DeviceTime> timestamp;
    /// Whether the tracker sees the instrument in this sample.
    bool visible = true;
    /// The pose's name in recordings and served messages where it is not "<ID>ToTracker": a needle
    /// expressed in a reference marker's frame is "NeedleToReference". Empty for tracker poses.
    std::string transformName;
};

/// The latest device time among the instruments; empty when none of them has one.
inline std::optional<DeviceTime> newestTimestamp(const std::vector<TrackingInstrument>& instruments)
{
    std::optional<DeviceTime> newest;
    for (const TrackingInstrument& instrument : instruments)
        newest = std::max(newest, instrument.timestamp);  // an empty optional orders before every time
    return newest;
}

}  // namespace Tesselon
