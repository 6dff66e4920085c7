#pragma once

#include <string_view>

// What the host program may know of the navigation plug-in: the ids of its algorithms, the keys and
// values of the configuration the program writes for them, and the ids their streams give their outputs.
// The plug-in registers and reads these same constants, so this header is the only place they are written.
namespace Tesselon::NavigationIds {

inline constexpr const char* plugin = "Tesselon.Navigation";
inline constexpr std::string_view factory = "Navigation";

// Full algorithm ids, as menus, workspaces and `AlgorithmFactory::create` take them.
inline constexpr std::string_view bullseyeVisualization = "Navigation.BullseyeVisualization";
inline constexpr std::string_view combinedStream = "Navigation.CreateStreamCombinedTrackingStream";
inline constexpr std::string_view liveTrackingPointRegistration = "Navigation.LiveTrackingPointRegistration";
inline constexpr std::string_view smoothedStream = "Navigation.CreateStreamSmoothedTrackingStream";
inline constexpr std::string_view toolCalibration = "Navigation.ToolCalibration";
inline constexpr std::string_view toolNavigationVisualization = "Navigation.ToolNavigationVisualization";
inline constexpr std::string_view toolVisualization = "Navigation.ToolVisualization";
inline constexpr std::string_view toolCalibrationWizard = "Navigation.TrackingToolCalibrationWizardAlgorithm";

/// The id an algorithm registers under in the factory, which prefixes it with its name and a full stop.
constexpr std::string_view registeredName(std::string_view fullId)
{
    return fullId.substr(factory.size() + 1);
}

namespace SmoothedStream {
inline constexpr const char* mode = "smoothingMode";
inline constexpr int none = 0;
inline constexpr int weightedAverage = 1;
inline constexpr int kalmanFilter = 2;
}  // namespace SmoothedStream

namespace CombinedStream {
/// The sub-properties holding one `instruction` sub-property per output instrument.
inline constexpr const char* instructions = "CombinationInstructions";
inline constexpr const char* instruction = "Combination";
inline constexpr const char* outputInstrument = "outputInstrument";
inline constexpr const char* preStreamName = "preStreamName";
inline constexpr const char* preInstrument = "preInstrument";
inline constexpr const char* postStreamName = "postStreamName";
inline constexpr const char* postInstrument = "postInstrument";
inline constexpr const char* mode = "combinationMode";
/// The post instrument in the pre instrument's frame.
inline constexpr int relative = 0;
/// The pre instrument's pose applied to the post instrument's.
inline constexpr int composition = 1;
/// Each output instrument's ID: this prefix and the index of its instruction.
inline constexpr const char* outputIdPrefix = "relative-";
}  // namespace CombinedStream

}  // namespace Tesselon::NavigationIds
