#pragma once

#include <Eigen/Core>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace Tesselon {

/// One tool pose of an OpenIGTLink message: the device of a TRANSFORM or POSITION message, or one element
/// of a TDATA or QTDATA message.
struct IgtlToolPose
{
    std::string name;
    /// toolToTracker, in millimetres.
    Eigen::Matrix4d toolToTracker = Eigen::Matrix4d::Identity();
    /// False when the sender's status metadata marks the pose invalid, or when it is not a finite rigid
    /// transform.
    bool valid = true;
};

using IgtlMetadata = std::vector<std::pair<std::string, std::string>>;

/// A decoded OpenIGTLink message that carries poses.
struct IgtlMessage
{
    int headerVersion = 1;
    std::string type;  ///< "TRANSFORM", "TDATA", "QTDATA" or "POSITION"
    std::string deviceName;
    /// The sender's clock in seconds; empty when the sender left it unset (0 on the wire).
    std::optional<double> timestampSeconds;
    IgtlMetadata metadata;  ///< header version 2 only
    std::vector<IgtlToolPose> tools;
};

}  // namespace Tesselon
