#include "app/RestingTips.h"

#include "host/core/io/TrackingRecordingFile.h"
#include "host/stream/DwellDetector.h"
#include "host/stream/TrackingSequence.h"

#include <fmt/core.h>

namespace Tesselon {

PointList RestingTips::read(const std::string& path, const std::string& transform,
                            const std::string& relativeTo, const Eigen::Vector3d& tipInTool)
{
    const auto sequence =
        TrackingSequence::fromRecording(TrackingRecordingFile::read(path), transform, relativeTo);
    Eigen::Matrix4d tipToTool = Eigen::Matrix4d::Identity();
    tipToTool.topRightCorner<3, 1>() = tipInTool;
    sequence->setCalibration(tipToTool);

    std::vector<DwellDetector::Sample> tips;
    for (std::size_t i = 0; i < sequence->size(); ++i)
        if (sequence->isValid(i))
            tips.push_back({sequence->sample(i).timestampSeconds.value_or(0.0),
                            sequence->matrix(i).topRightCorner<3, 1>()});

    PointList list;
    list.sourceName = path;
    for (const DwellDetector::Rest& rest : DwellDetector::findRests(tips))
        list.points.push_back({rest.meanTip, fmt::format("rest {}", list.points.size() + 1)});
    return list;
}

}  // namespace Tesselon
