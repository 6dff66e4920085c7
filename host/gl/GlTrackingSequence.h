#pragma once

#include "host/gl/GlPointBasedAnnotation.h"
#include "host/stream/TrackingStreamDisplayOptions.h"

namespace Tesselon {

class TrackingSequence;

/// A recorded tracking sequence in the views: the position of each pose, marked as the stream's display
/// options say (dots, or a line through them).
class GlTrackingSequence : public GlPointBasedAnnotation
{
public:
    using IndicatorType = TrackingStreamDisplayOptions::IndicatorType;

    /// The poses' positions mapped by `toWorld` (the stream's matrix); non-finite poses are left out.
    GlTrackingSequence(const TrackingSequence& sequence, const Eigen::Matrix4d& toWorld,
                       IndicatorType indicator = IndicatorType::Dots);

    IndicatorType indicatorType() const { return m_indicator; }
    void setIndicatorType(IndicatorType indicator);

private:
    IndicatorType m_indicator;
};

}  // namespace Tesselon
