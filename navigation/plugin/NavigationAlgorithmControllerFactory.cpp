#include "navigation/plugin/NavigationAlgorithmControllerFactory.h"

#include "navigation/calibration/ToolCalibrationAlgorithm.h"
#include "navigation/calibration/ToolCalibrationController.h"
#include "navigation/calibration/TrackingToolCalibrationWizard.h"
#include "navigation/calibration/TrackingToolCalibrationWizardAlgorithm.h"
#include "navigation/plugin/CreateStreamAlgorithm.h"
#include "navigation/plugin/NavigationIds.h"
#include "navigation/registration/LiveTrackingPointRegistrationAlgorithm.h"
#include "navigation/registration/LiveTrackingPointRegistrationController.h"
#include "navigation/streams/CombinedTrackingStream.h"
#include "navigation/streams/CombinedTrackingStreamController.h"
#include "navigation/streams/SmoothedTrackingStream.h"
#include "navigation/streams/SmoothedTrackingStreamController.h"
#include "navigation/visualization/BullseyeVisualizationAlgorithm.h"
#include "navigation/visualization/BullseyeVisualizationController.h"
#include "navigation/visualization/ToolNavigationVisualizationAlgorithm.h"
#include "navigation/visualization/ToolNavigationVisualizationController.h"
#include "navigation/visualization/ToolVisualizationAlgorithm.h"
#include "navigation/visualization/ToolVisualizationController.h"

namespace Tesselon {
namespace {

/// The panel of `algorithm` when it is a `A`, else null.
template <class A, class Controller>
AlgorithmController* createFor(Algorithm* algorithm)
{
    if (auto* typed = dynamic_cast<A*>(algorithm))
        return new Controller(typed);
    return nullptr;
}

}  // namespace

NavigationAlgorithmControllerFactory::NavigationAlgorithmControllerFactory()
    : AlgorithmControllerFactory(std::string(NavigationIds::factory), false)
{
}

AlgorithmController* NavigationAlgorithmControllerFactory::create(Algorithm* algorithm) const
{
    // First match wins: a derived algorithm type must come before its base.
    for (const auto create : {
             &createFor<BullseyeVisualizationAlgorithm, BullseyeVisualizationController>,
             &createFor<CreateStreamAlgorithm<CombinedTrackingStream, true, true, true>,
                        CombinedTrackingStreamController>,
             &createFor<CreateStreamAlgorithm<SmoothedTrackingStream, true, true, true>,
                        SmoothedTrackingStreamController>,
             &createFor<ToolCalibrationAlgorithm, ToolCalibrationController>,
             &createFor<TrackingToolCalibrationWizardAlgorithm, TrackingToolCalibrationWizard>,
             &createFor<LiveTrackingPointRegistrationAlgorithm, LiveTrackingPointRegistrationController>,
             &createFor<ToolVisualizationAlgorithm, ToolVisualizationController>,
             &createFor<ToolNavigationVisualizationAlgorithm, ToolNavigationVisualizationController>,
         })
        if (AlgorithmController* controller = create(algorithm))
            return controller;
    return nullptr;
}

}  // namespace Tesselon
