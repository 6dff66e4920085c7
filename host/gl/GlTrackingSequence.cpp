#include "host/gl/GlTrackingSequence.h"

#include "host/core/geometry/Math.h"
#include "host/stream/TrackingSequence.h"

namespace Tesselon {

GlTrackingSequence::GlTrackingSequence(const TrackingSequence& sequence, const Eigen::Matrix4d& toWorld,
                                       IndicatorType indicator)
    : GlPointBasedAnnotation(sequence.name()), m_indicator(indicator)
{
    std::vector<Eigen::Vector3d> positions;
    for (std::size_t i = 0; i < sequence.size(); ++i) {
        const Eigen::Matrix4d pose = sequence.matrix(i);
        if (pose.allFinite())
            positions.push_back(Math::transformPointAffine(toWorld, pose.topRightCorner<3, 1>()));
    }
    setPoints(positions);
    setPointSize(4.0);
    setShowDistanceLabel(false);
}

void GlTrackingSequence::setIndicatorType(IndicatorType indicator)
{
    assign(m_indicator, indicator);
}

}  // namespace Tesselon
