#include "host/core/io/TrackingRecording.h"

#include "host/core/io/TrackingRecordingError.h"

#include <fmt/format.h>

#include <algorithm>

namespace Tesselon {

namespace {

std::string quotedList(const std::vector<std::string>& names)
{
    if (names.empty())
        return "none";
    std::vector<std::string> shortened;
    for (const std::string& name : names)
        shortened.push_back(TrackingRecordingError::excerpt(name));
    return fmt::format("\"{}\"", fmt::join(shortened, "\", \""));
}

}  // namespace

const TrackedTransform* TrackingFrame::find(std::string_view name) const
{
    const auto found =
        std::find_if(transforms.begin(), transforms.end(),
                     [name](const TrackedTransform& transform) { return transform.name == name; });
    return found == transforms.end() ? nullptr : &*found;
}

std::vector<std::string> TrackingRecording::transformNames() const
{
    std::vector<std::string> names;
    for (const TrackingFrame& frame : frames) {
        for (const TrackedTransform& transform : frame.transforms) {
            if (std::find(names.begin(), names.end(), transform.name) == names.end())
                names.push_back(transform.name);
        }
    }
    return names;
}

bool TrackingRecording::hasTransform(std::string_view name) const
{
    return std::any_of(frames.begin(), frames.end(),
                       [name](const TrackingFrame& frame) { return frame.find(name) != nullptr; });
}

std::vector<TransformSample> TrackingRecording::samples(std::string_view name) const
{
    std::vector<TransformSample> result;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (const TrackedTransform* transform = frames[i].find(name))
            result.push_back({i, frames[i].timestamp, transform->matrix, transform->valid});
    }
    if (result.empty()) {
        throw TrackingRecordingError(
            sourceName, 0,
            fmt::format("no transform \"{}\" in the recording; it holds {}",
                        TrackingRecordingError::excerpt(name), quotedList(transformNames())));
    }
    return result;
}

}  // namespace Tesselon
