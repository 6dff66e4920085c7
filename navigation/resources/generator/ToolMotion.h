#pragma once

#include "navigation/resources/generator/ToolPose.h"

#include <string>

namespace Tesselon {

/// The movement shown by one tool-calibration animation, as a looping sequence of tool poses.
class ToolMotion
{
public:
    enum class Kind
    {
        Pivoting,  ///< the shaft sweeps a cone about the tip resting in the dip
        Rotation,  ///< the tool spins about its own shaft, tip in the dip
        Dip,       ///< the tip is lifted out of the dip and put back
        Flip,      ///< the tool turns over by 180 degrees about an axis across the shaft and back
    };

    explicit ToolMotion(Kind kind);

    Kind kind() const { return m_kind; }
    /// Lower-case file stem, e.g. "pivoting".
    std::string name() const;
    int frameCount() const;
    int frameDelayCentiseconds() const { return 6; }
    /// Whether the tip rests in a dip on a floor (every motion but the flip, which passes below it).
    bool showsFloor() const { return m_kind != Kind::Flip; }

    ToolPose pose(int frame) const;
    /// The horizontal axis the flip turns about.
    static Eigen::Vector3d flipAxis();

private:
    Kind m_kind;
};

}  // namespace Tesselon
