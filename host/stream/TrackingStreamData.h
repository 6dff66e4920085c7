#pragma once

#include "host/core/model/DataComponent.h"
#include "host/stream/StreamData.h"
#include "host/stream/TrackingInstrument.h"

#include <memory>
#include <optional>
#include <string_view>
#include <typeinfo>
#include <vector>

namespace Tesselon {

class TrackingStream;

/// One sample of a tracking stream: its instruments and optional per-sample components (such as the raw
/// fiducials). Components are immutable once attached, so copies of a sample share them.
class TrackingStreamData : public StreamData
{
public:
    /// `stream`: the stream that produced the sample; it must outlive the sample's use of it.
    TrackingStreamData(const TrackingStream* stream, std::vector<TrackingInstrument> instruments);

    const std::vector<TrackingInstrument>& instruments() const { return m_instruments; }
    /// The last instrument with this ID, if the sample has one.
    std::optional<TrackingInstrument> instrument(std::string_view id) const;
    const TrackingStream* trackingStream() const { return m_stream; }

    /// The component of exact type T, or null.
    template <class T>
    std::shared_ptr<const T> component() const
    {
        for (const auto& component : m_components)
            if (typeid(*component) == typeid(T))
                return std::static_pointer_cast<const T>(component);
        return nullptr;
    }
    const std::vector<std::shared_ptr<const DataComponent>>& components() const { return m_components; }
    /// Attaches a component, replacing one of the same exact type.
    void setComponent(std::shared_ptr<const DataComponent> component);
    /// Takes over every component of another sample, replacing those of the same types.
    void updateComponents(const TrackingStreamData& other);

    /// A copy that shares the components; a derived stream may then claim it with `setTrackingStream`.
    std::unique_ptr<TrackingStreamData> clone() const;
    void setTrackingStream(const TrackingStream* stream) { m_stream = stream; }

private:
    const TrackingStream* m_stream;
    std::vector<TrackingInstrument> m_instruments;
    std::vector<std::shared_ptr<const DataComponent>> m_components;
};

}  // namespace Tesselon
