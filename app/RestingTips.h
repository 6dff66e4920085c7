#pragma once

#include "host/core/io/PointList.h"

#include <Eigen/Core>

#include <string>

namespace Tesselon {

/// The points a pointer touched in a tracking recording: its tip, from its calibration, averaged over each
/// rest `DwellDetector` finds, labelled "rest 1", "rest 2", ... in time order. Used by `tesselon register
/// --recording`.
class RestingTips
{
public:
    /// `tipInTool` is the tip in the tool's marker frame; with `relativeTo`, tips are in that transform's
    /// frame (relativeTo⁻¹ · tool · tip), otherwise in the tracker's. Frames where a pose is not valid are
    /// skipped. Throws, naming the file, when it cannot be read or lacks a transform.
    static PointList read(const std::string& path, const std::string& transform,
                          const std::string& relativeTo, const Eigen::Vector3d& tipInTool);
};

}  // namespace Tesselon
