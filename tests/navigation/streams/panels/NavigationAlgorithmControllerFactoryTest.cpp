#include "navigation/plugin/NavigationAlgorithmControllerFactory.h"

#include "navigation/plugin/CreateStreamAlgorithm.h"
#include "navigation/streams/CombinedTrackingStream.h"
#include "navigation/streams/CombinedTrackingStreamController.h"
#include "navigation/streams/SmoothedTrackingStream.h"
#include "navigation/streams/SmoothedTrackingStreamController.h"
#include "tests/support/ManualTrackingStream.h"

#include <gtest/gtest.h>

namespace Tesselon {
namespace {

template <class Panel, class Algorithm>
bool handsOut(Algorithm&& algorithm)
{
    std::unique_ptr<AlgorithmController> controller(
        NavigationAlgorithmControllerFactory().create(&algorithm));
    return dynamic_cast<Panel*>(controller.get()) != nullptr;
}

// Made before computing, the panels have no stream and stay inert.
TEST(NavigationAlgorithmControllerFactory, HandsOutEachStreamPanelForItsCreationAlgorithm)
{
    Tesselon::Test::ManualTrackingStream input;
    EXPECT_TRUE((handsOut<CombinedTrackingStreamController>(
        CreateStreamAlgorithm<CombinedTrackingStream, true, true, true>(DataList{&input}))));
    EXPECT_TRUE((handsOut<SmoothedTrackingStreamController>(
        CreateStreamAlgorithm<SmoothedTrackingStream, true, true, true>(DataList{&input}))));
}

}  // namespace
}  // namespace Tesselon
