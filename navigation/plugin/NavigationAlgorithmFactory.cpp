#include "navigation/plugin/NavigationAlgorithmFactory.h"

#include "navigation/calibration/ToolCalibrationAlgorithm.h"
#include "navigation/calibration/TrackingToolCalibrationWizardAlgorithm.h"
#include "navigation/plugin/CreateStreamAlgorithm.h"
#include "navigation/plugin/NavigationIds.h"
#include "navigation/registration/LiveTrackingPointRegistrationAlgorithm.h"
#include "navigation/registration/PointsOnTrackingStream.h"
#include "navigation/registration/PointsOnTrackingStreamManipulator.h"
#include "navigation/streams/CombinedTrackingStream.h"
#include "navigation/streams/SmoothedTrackingStream.h"
#include "navigation/visualization/BullseyeVisualizationAlgorithm.h"
#include "navigation/visualization/ToolNavigationVisualizationAlgorithm.h"
#include "navigation/visualization/ToolVisualizationAlgorithm.h"

#include "host/core/model/PointCorrespondencesAlgorithm.h"

namespace Tesselon {
namespace {

using namespace NavigationIds;

// The streams keep their own enumerations; the host writes the exported numbers.
static_assert(SmoothedStream::none == SmoothedTrackingStream::None &&
              SmoothedStream::weightedAverage == SmoothedTrackingStream::WeightedAverage &&
              SmoothedStream::kalmanFilter == SmoothedTrackingStream::KalmanFilter);
static_assert(CombinedStream::relative == CombinationInstruction::Relative &&
              CombinedStream::composition == CombinationInstruction::Composition);

template <class T>
void registerAs(AlgorithmFactory& factory, std::string_view fullId, const char* menuPath)
{
    factory.registerAlgorithm<T>(std::string(registeredName(fullId)), menuPath);
}

}  // namespace

NavigationAlgorithmFactory::NavigationAlgorithmFactory() : AlgorithmFactory(std::string(factory), false)
{
    registerAs<BullseyeVisualizationAlgorithm>(*this, bullseyeVisualization,
                                               "Visualization;Bullseye Visualization");
    registerAs<CreateStreamAlgorithm<CombinedTrackingStream, true, true, true>>(
        *this, combinedStream, "Streaming;Combine Trackings");
    registerAs<LiveTrackingPointRegistrationAlgorithm>(*this, liveTrackingPointRegistration,
                                                       "Registration;Tracker-Volume Registration");
    registerAs<CreateStreamAlgorithm<SmoothedTrackingStream, true, true, true>>(
        *this, smoothedStream, "Streaming;Smoothed Live Tracking Stream");
    registerAs<ToolCalibrationAlgorithm>(*this, toolCalibration, "Streaming;Tool Calibration");
    registerAs<ToolNavigationVisualizationAlgorithm>(*this, toolNavigationVisualization,
                                                     "Visualization;Navigation Visualization");
    registerAs<ToolVisualizationAlgorithm>(*this, toolVisualization, "Visualization;Tool Visualization");
    registerAs<TrackingToolCalibrationWizardAlgorithm>(*this, toolCalibrationWizard,
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
