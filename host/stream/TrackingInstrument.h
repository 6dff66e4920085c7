#pragma once

#include "host/stream/TrackerID.h"

#include <Eigen/Core>

#include <cstdint>
#include <string>

namespace Tesselon {

/// One instrument in one tracking sample.
struct TrackingInstrument
{
    TrackerID id;
    /// instrumentToTracker: maps the instrument's marker frame into the tracker frame (mm).
    Eigen::Matrix4d matrix = Eigen::Matrix4d::Identity();
    /// Confidence in [0, 1], used as a weight; 0 when the instrument is not seen.
    double quality = 0.0;
    /// The instrument's own timestamp in milliseconds (device clock).
    std::uint64_t timestamp = 0;
    /// Whether the tracker sees the instrument in this sample.
    bool visible = true;
    /// The pose's name in recordings and served messages where it is not "<ID>ToTracker": a needle
    /// expressed in a reference marker's frame is "NeedleToReference". Empty for tracker poses.
    std::string transformName;
};

}  // namespace Tesselon
