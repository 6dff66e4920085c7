#include "navigation/plugin/NavigationAlgorithmFactory.h"

#include "navigation/calibration/ToolCalibrationAlgorithm.h"
#include "navigation/calibration/TrackingToolCalibrationWizardAlgorithm.h"
#include "navigation/plugin/CreateStreamAlgorithm.h"
#include "navigation/registration/LiveTrackingPointRegistrationAlgorithm.h"
#include "navigation/registration/PointsOnTrackingStream.h"
#include "navigation/registration/PointsOnTrackingStreamManipulator.h"
#include "navigation/streams/CombinedTrackingStream.h"
#include "navigation/streams/SmoothedTrackingStream.h"
#include "navigation/visualization/BullseyeVisualizationAlgorithm.h"
#include "navigation/visualization/ToolNavigationVisualizationAlgorithm.h"
#include "navigation/visualization/ToolVisualizationAlgorithm.h"

#include "host/core/PointCorrespondencesAlgorithm.h"

namespace Tesselon {

NavigationAlgorithmFactory::NavigationAlgorithmFactory() : AlgorithmFactory("Navigation", false)
{
    registerAlgorithm<BullseyeVisualizationAlgorithm>("BullseyeVisualization",
                                                      "Visualization;Bullseye Visualization");
    registerAlgorithm<CreateStreamAlgorithm<CombinedTrackingStream, true, true, true>>(
        "CreateStreamCombinedTrackingStream", "Streaming;Combine Trackings");
    registerAlgorithm<LiveTrackingPointRegistrationAlgorithm>("LiveTrackingPointRegistration",
                                                              "Registration;Tracker-Volume Registration");
    registerAlgorithm<CreateStreamAlgorithm<SmoothedTrackingStream, true, true, true>>(
        "CreateStreamSmoothedTrackingStream", "Streaming;Smoothed Live Tracking Stream");
    registerAlgorithm<ToolCalibrationAlgorithm>("ToolCalibration", "Streaming;Tool Calibration");
    registerAlgorithm<ToolNavigationVisualizationAlgorithm>("ToolNavigationVisualization",
                                                            "Visualization;Navigation Visualization");
    registerAlgorithm<ToolVisualizationAlgorithm>("ToolVisualization", "Visualization;Tool Visualization");
    registerAlgorithm<TrackingToolCalibrationWizardAlgorithm>("TrackingToolCalibrationWizardAlgorithm",
                                                              "Streaming;Tracking Tool Calibration");
    // Lets the host's point lists and correspondence tools capture points on tracking streams.
    PointCorrespondencesAlgorithm::registerPointsOnData<TrackingStream, PointsOnTrackingStream,
                                                        PointsOnTrackingStreamManipulator>(2, this);
}

NavigationAlgorithmFactory::~NavigationAlgorithmFactory()
{
    PointCorrespondencesAlgorithm::removeRegistrations(this);
}

}  // namespace Tesselon
