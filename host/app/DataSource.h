#pragma once

#include <iterator>
#include <optional>
#include <string_view>

namespace Tesselon {

/// Where an entry of a session's data came from, which is also how a workspace loads it again.
enum class DataSource
{
    Volume,             ///< an image file
    Recording,          ///< a tracking recording, played in a loop
    Markups,            ///< a point list on the volume
    SimulatedTracker,   ///< the built-in tracker, with its configuration
    Igtl,               ///< an OpenIGTLink server at HOST:PORT
    RecordingSequence,  ///< one transform of a tracking recording file, named in the configuration
    AlgorithmOutput,    ///< made by an algorithm, which makes it again: never saved
    LiveRecording,      ///< recorded from a stream in the window: nothing could load it again, never saved
    DrawnAnnotation,    ///< a line or curve drawn on the volume, kept whole in the configuration
};

/// The names workspace files give the sources, in the enumeration's order; files keep them forever.
inline constexpr std::string_view dataSourceNames[] = {
    "volume", "recording",     "markups",        "simulatedTracker", "igtl", "recordingSequence",
    "output", "liveRecording", "drawnAnnotation"};

constexpr std::string_view dataSourceName(DataSource source)
{
    return dataSourceNames[static_cast<int>(source)];
}

/// Whether a workspace keeps the entry: everything but what no file or device gives back.
constexpr bool isSavedDataSource(DataSource source)
{
    return source != DataSource::AlgorithmOutput && source != DataSource::LiveRecording;
}

/// The source a workspace file names, or none for an unknown name and for sources never saved.
constexpr std::optional<DataSource> loadableDataSource(std::string_view name)
{
    for (int source = 0; source < static_cast<int>(std::size(dataSourceNames)); ++source)
        if (dataSourceNames[source] == name && isSavedDataSource(static_cast<DataSource>(source)))
            return static_cast<DataSource>(source);
    return std::nullopt;
}

}  // namespace Tesselon
