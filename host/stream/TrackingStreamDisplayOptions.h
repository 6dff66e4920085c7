#pragma once

#include "host/core/config/Configurable.h"
#include "host/core/config/Parameter.h"
#include "host/core/model/DataComponent.h"

namespace Tesselon {

/// How the views draw a tracking stream, kept with the stream: the trail of each tool's recent tip
/// positions, and how recorded sequences of the stream mark their poses. Read and written on the GUI thread.
class TrackingStreamDisplayOptions : public DataComponent, public Configurable
{
public:
    /// How a recorded sequence marks its poses.
    enum IndicatorType
    {
        Dots = 0,  ///< a dot at each position
        Line = 1   ///< a line through the positions
    };

    TrackingStreamDisplayOptions();

    std::string id() const override { return "TrackingStreamDisplayOptions"; }

    /// Seconds of each tool's recent tip positions drawn as a trail behind it; 0 draws none.
    Parameter<int> trackingHistory{"trackingHistory", 0, this};
    Parameter<int> sequenceIndicatorType{"sequenceIndicatorType", Dots, this};
};

}  // namespace Tesselon
