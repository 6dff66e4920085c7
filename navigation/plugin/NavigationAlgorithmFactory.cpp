#include "navigation/plugin/NavigationAlgorithmFactory.h"

#include "navigation/calibration/ToolCalibrationAlgorithm.h"
#include "navigation/calibration/TrackingToolCalibrationWizardAlgorithm.h"
#include "navigation/plugin/CreateStreamAlgorithm.h"
#include "navigation/streams/CombinedTrackingStream.h"
#include "navigation/streams/SmoothedTrackingStream.h"

namespace Tesselon {

NavigationAlgorithmFactory::NavigationAlgorithmFactory() : AlgorithmFactory("Navigation", false)
{
    registerAlgorithm<CreateStreamAlgorithm<CombinedTrackingStream, true, true, true>>(
        "CreateStreamCombinedTrackingStream", "Streaming;Combine Trackings");
    registerAlgorithm<CreateStreamAlgorithm<SmoothedTrackingStream, true, true, true>>(
        "CreateStreamSmoothedTrackingStream", "Streaming;Smoothed Live Tracking Stream");
    registerAlgorithm<ToolCalibrationAlgorithm>("ToolCalibration", "Streaming;Tool Calibration");
    registerAlgorithm<TrackingToolCalibrationWizardAlgorithm>("TrackingToolCalibrationWizardAlgorithm",
                                                              "Streaming;Tracking Tool Calibration");
}

}  // namespace Tesselon
