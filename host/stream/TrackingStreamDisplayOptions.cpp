#include "host/stream/TrackingStreamDisplayOptions.h"

namespace Tesselon {

TrackingStreamDisplayOptions::TrackingStreamDisplayOptions()
{
    trackingHistory.setAttribute("min", "0");
    trackingHistory.setAttribute("max", "60");
    sequenceIndicatorType.setAttribute("values", "Dots,Line");
    configureDefaults();
}

}  // namespace Tesselon
